#pragma once

#include <optional>
#include <string>

namespace pagora {

// The folder into which archive members are extracted: a private per-user folder under the
// temporary directory, always ending with "/". Set once at start by SetWorkingFolder; empty
// until then.
const std::string& WorkingFolder();

// Fixes the working folder. `executableFolder` (without trailing "/") is the fallback used when
// no temporary folder exists.
void SetWorkingFolder(const std::string& executableFolder);

// Where SetWorkingFolder looks for a temporary folder. FromProcess() reads the environment:
// $TMPDIR when it is an absolute path, else "/tmp", and $XDG_RUNTIME_DIR when set.
struct TempEnvironment {
    std::string systemTemp;
    std::optional<std::string> xdgRuntimeDir;

    static TempEnvironment FromProcess();
};

// SetWorkingFolder with the temporary folders given instead of read from the environment.
// The working folder is, in this order of preference:
//   - $XDG_RUNTIME_DIR/PG/ when that folder is a real folder owned by the user, mode 0700;
//   - otherwise <system temp>/PG-<uid>/, or the executable's folder + "/" when the system
//     temporary folder does not exist;
//   - a fixed folder that exists but is not a real folder owned by the user without group or
//     other permissions (a link, another user's folder, a file) is replaced by a fresh folder
//     made with mkdtemp beside it.
// Never fails: when nothing else works, the executable's folder serves.
void SetWorkingFolder(const std::string& executableFolder, const TempEnvironment& environment);

// When the working folder is the fresh folder that SetWorkingFolder made for this run (the
// fixed one being unfit), removes it with the files in it and leaves no working folder set;
// otherwise does nothing. Errors are ignored. The reader calls it last at shut-down, and after a
// failed start.
void ReleaseWorkingFolder();

// Makes `folder` the working folder as it is (a "/" is added when missing), for tools that
// extract into a folder of the user's choice.
void UseWorkingFolder(const std::string& folder);

// Extracts member `strMemberName` of the archive `strArchivePath` as the file
// WorkingFolder() + strMemberName, replacing any file of that name. Returns "filenotfound"
// (and writes nothing) when the archive does not list the member, else empty text.
// Throws pagora::Error, writing nothing, when no working folder has been set, for a name that
// is no member name (data/ArchiveFormat.h), for a missing archive, for a directory that does not
// hold together (the description names the archive), and for a member that is not a sound HE3
// stream: not one at all, cut short, or failing its checksum (the description names the
// archive and the member). Nothing of the archive is read outside the file or kept between
// calls.
std::string ExtractArchiveMember(const std::string& strArchivePath,
                                 const std::string& strMemberName);

}  // namespace pagora
