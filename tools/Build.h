#pragma once

#include <string>
#include <vector>

#include "data/ArchiveWriter.h"
#include "tools/MushafSources.h"

namespace pagora::pack {

// The members of the support archive, in the order start-up reads them, then the frame
// images and "credits.txt".
const std::vector<std::string>& SupportTextNames();

std::vector<ArchiveMember> SupportMembers(const MushafSources& src, const std::string& nodeModules);

// The page archive "order<digit>.dat": the pages whose key ends in `digit`, in page order.
std::vector<ArchiveMember> PageArchiveMembers(const MushafSources& src, int digit);

// "support.dat" and "order0.dat".."order9.dat".
std::vector<std::string> ArchiveFileNames();

// Writes the eleven archives into `outDir` (created when missing).
void BuildArchives(const MushafSources& src, const std::string& nodeModules,
                   const std::string& outDir);

// Three-digit page key, "001".."604".
std::string PageKey(int page);

}  // namespace pagora::pack
