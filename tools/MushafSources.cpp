#include "tools/MushafSources.h"

#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace pagora::pack {

namespace {

nlohmann::json ReadJson(const std::string& path, const std::string& hint) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw PackError("cannot open " + path + hint);
    }
    try {
        return nlohmann::json::parse(file);
    } catch (const nlohmann::json::exception& e) {
        throw PackError(path + " is not valid JSON: " + e.what());
    }
}

PackageInfo ReadPackage(const std::string& nodeModules, const std::string& name) {
    const nlohmann::json pkg =
        ReadJson(nodeModules + "/" + name + "/package.json", " (run npm ci, see scripts/setup.sh)");
    PackageInfo info;
    info.name = pkg.value("name", name);
    info.version = pkg.value("version", "");
    info.license = pkg.value("license", "");
    return info;
}

VerseRef ToVerseRef(const nlohmann::json& pair, const std::string& what) {
    if (!pair.is_array() || pair.size() != 2 || !pair[0].is_number_integer() ||
        !pair[1].is_number_integer()) {
        throw PackError("layout: " + what + " is not a [sura, verse] pair");
    }
    return {pair[0].get<int>(), pair[1].get<int>()};
}

bool Before(const VerseRef& a, const VerseRef& b) {
    return a.sura < b.sura || (a.sura == b.sura && a.verse < b.verse);
}

// quran-json's private marks and their Unicode forms, as UTF-8.
struct Replacement {
    const char* from;
    const char* to;
};
constexpr Replacement kOpenTanween[] = {
    {"\u0657", "\u08F0"},  // open fathatan
    {"\u065E", "\u08F1"},  // open dammatan
    {"\u0656", "\u08F2"},  // open kasratan
};
constexpr char kThinSpace[] = "\u2009";

int ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    int count = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
        ++count;
    }
    return count;
}

int WordCount(const std::string& utf8) {
    int words = 0;
    bool inWord = false;
    for (QChar c : QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))) {
        if (c.isSpace()) {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++words;
        }
    }
    return words;
}

}  // namespace

void RequireReviewedText(const std::vector<std::string>& verses, const std::string& package) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    int words = 0;
    for (const std::string& verse : verses) {
        hash.addData(QByteArrayView(verse.data(), static_cast<qsizetype>(verse.size())));
        hash.addData(QByteArrayView("\n", 1));
        words += WordCount(verse);
    }
    const std::string review =
        ". A new text must be reviewed before it is used: its open tanween marks and thin "
        "spaces (see MushafText in tools/MushafSources.cpp and docs/DATA.md), its verse "
        "division against the page layout, and its rendering in the page view; then pin its "
        "SHA-256 and word count in tools/MushafSources.h.";
    if (words != kReviewedWordCount) {
        throw PackError(package + ": the verse text holds " + std::to_string(words) +
                        " words split at white space, the reviewed text " +
                        std::to_string(kReviewedWordCount) + review);
    }
    const std::string digest = hash.result().toHex().toStdString();
    if (digest != kReviewedTextSha256) {
        throw PackError(package + ": the SHA-256 of the verse text is " + digest +
                        ", the reviewed text's " + kReviewedTextSha256 + review);
    }
}

std::string MushafText(const std::string& verse, TextMapping& mapping) {
    std::string text = verse;
    int tanween = 0;
    for (const Replacement& r : kOpenTanween) {
        tanween += ReplaceAll(text, r.from, r.to);
    }
    const int thin = ReplaceAll(text, kThinSpace, "");
    mapping.openTanween += tanween;
    mapping.thinSpaces += thin;
    mapping.versesWithOpenTanween += tanween > 0 ? 1 : 0;
    mapping.versesChanged += tanween + thin > 0 ? 1 : 0;
    return text;
}

int MushafSources::VerseCount() const {
    int total = 0;
    for (const Sura& s : suras) {
        total += static_cast<int>(s.verses.size());
    }
    return total;
}

nlohmann::json ReadLayoutFile(const std::string& path) {
    return ReadJson(path, "");
}

nlohmann::json ExportLayout(const std::string& script, const std::string& nodeModules) {
    int fds[2];
    if (pipe(fds) != 0) {
        throw PackError(std::string("cannot run node: ") + std::strerror(errno));
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        throw PackError(std::string("cannot run node: ") + std::strerror(errno));
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execlp("node", "node", script.c_str(), nodeModules.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        throw PackError("node " + script + " failed" +
                        (code == 127 ? std::string(" (is node installed?)")
                                     : " with exit code " + std::to_string(code)));
    }
    try {
        return nlohmann::json::parse(out);
    } catch (const nlohmann::json::exception& e) {
        throw PackError("the output of " + script + " is not valid JSON: " + e.what());
    }
}

MushafSources LoadSources(const std::string& nodeModules, const nlohmann::json& layout) {
    MushafSources src;
    src.quranJson = ReadPackage(nodeModules, "quran-json");
    src.quranMeta = ReadPackage(nodeModules, "quran-meta");

    const nlohmann::json text = ReadJson(nodeModules + "/quran-json/dist/quran.json",
                                         " (run npm ci, see scripts/setup.sh)");
    try {
        if (!text.is_array() || text.size() != kSuraCount) {
            throw PackError("quran-json: expected " + std::to_string(kSuraCount) + " suras");
        }
        const auto& metaSuras = layout.at("suras");
        if (!metaSuras.is_array() || metaSuras.size() != kSuraCount) {
            throw PackError("layout: expected " + std::to_string(kSuraCount) + " suras");
        }
        for (int i = 0; i < kSuraCount; ++i) {
            const auto& t = text[i];
            const auto& m = metaSuras[i];
            Sura s;
            s.number = i + 1;
            if (t.at("id").get<int>() != s.number || m.at("number").get<int>() != s.number) {
                throw PackError("sura " + std::to_string(s.number) + " is out of order");
            }
            s.arabicName = t.at("name").get<std::string>();
            s.transliteration = m.at("transliteration").get<std::string>();
            s.startPage = m.at("page").get<int>();
            for (const auto& v : t.at("verses")) {
                if (v.at("id").get<int>() != static_cast<int>(s.verses.size()) + 1) {
                    throw PackError("quran-json: verses of sura " + std::to_string(s.number) +
                                    " are out of order");
                }
                s.verses.push_back(v.at("text").get<std::string>());
            }
            if (static_cast<int>(s.verses.size()) != m.at("verses").get<int>()) {
                throw PackError("sura " + std::to_string(s.number) + ": quran-json has " +
                                std::to_string(s.verses.size()) + " verses, quran-meta " +
                                std::to_string(m.at("verses").get<int>()));
            }
            src.suras.push_back(std::move(s));
        }

        const auto& pages = layout.at("pageStarts");
        if (!pages.is_array() || pages.size() != kPageCount) {
            throw PackError("layout: expected " + std::to_string(kPageCount) + " page starts");
        }
        for (size_t p = 0; p < pages.size(); ++p) {
            src.pageStarts.push_back(ToVerseRef(pages[p], "page " + std::to_string(p + 1)));
        }
        const auto& juz = layout.at("juzStarts");
        if (!juz.is_array() || juz.size() != kJuzCount) {
            throw PackError("layout: expected " + std::to_string(kJuzCount) + " juz starts");
        }
        for (size_t j = 0; j < juz.size(); ++j) {
            src.juzStarts.push_back({ToVerseRef(juz[j].at("start"), "juz " + std::to_string(j + 1)),
                                     juz[j].at("page").get<int>()});
        }
        const auto& quarters = layout.at("hizbQuarterStarts");
        if (!quarters.is_array() || quarters.size() != kHizbQuarterCount) {
            throw PackError("layout: expected " + std::to_string(kHizbQuarterCount) +
                            " hizb quarter starts");
        }
        for (size_t q = 0; q < quarters.size(); ++q) {
            src.hizbQuarterStarts.push_back(
                {ToVerseRef(quarters[q].at("start"), "hizb quarter " + std::to_string(q + 1)),
                 quarters[q].at("page").get<int>()});
        }
    } catch (const nlohmann::json::exception& e) {
        throw PackError(std::string("unexpected shape of the source data: ") + e.what());
    }

    // The layout must fit the text: increasing page starts that name real verses.
    auto valid = [&](const VerseRef& r) {
        return r.sura >= 1 && r.sura <= kSuraCount && r.verse >= 1 &&
               r.verse <= static_cast<int>(src.suras[r.sura - 1].verses.size());
    };
    for (int p = 0; p < kPageCount; ++p) {
        const VerseRef& r = src.pageStarts[p];
        if (!valid(r) || (p > 0 && !Before(src.pageStarts[p - 1], r))) {
            throw PackError("layout: page " + std::to_string(p + 1) + " starts at " +
                            std::to_string(r.sura) + ":" + std::to_string(r.verse) +
                            ", which is not a verse after the previous page's start");
        }
    }
    if (!(src.pageStarts.front() == VerseRef{1, 1})) {
        throw PackError("layout: page 1 does not start at 1:1");
    }
    for (const Juz& j : src.juzStarts) {
        if (!valid(j.start) || j.page < 1 || j.page > kPageCount) {
            throw PackError("layout: a juz start lies outside the text");
        }
    }
    for (const Juz& q : src.hizbQuarterStarts) {
        if (!valid(q.start) || q.page < 1 || q.page > kPageCount) {
            throw PackError("layout: a hizb quarter start lies outside the text");
        }
    }
    if (src.VerseCount() != kVerseCount) {
        throw PackError("the text holds " + std::to_string(src.VerseCount()) + " verses, not " +
                        std::to_string(kVerseCount));
    }
    std::vector<std::string> all;
    for (const Sura& s : src.suras) {
        all.insert(all.end(), s.verses.begin(), s.verses.end());
    }
    RequireReviewedText(all, src.quranJson.name + " " + src.quranJson.version);
    for (Sura& s : src.suras) {
        for (std::string& verse : s.verses) {
            verse = MushafText(verse, src.mapping);
        }
    }
    return src;
}

}  // namespace pagora::pack
