#pragma once

#include <QString>
#include <map>
#include <string>
#include <vector>

namespace pagora::testing {

// A made-up mushaf of 604 pages and 114 suras, consistent in itself: page p holds three
// verses, every sura has 16 verses (the book ends inside sura 114), a sura begins with a header
// line holding the marker and, except on pages 1 and 187, a basmala line.
struct SmallBook {
    SmallBook();

    static QString Marker() { return QStringLiteral("@SURA@"); }

    std::map<std::string, QString> tables;  // the Latin-1 members of support.dat by name
    std::map<int, QString> pages;           // page number -> page text (CR LF lines)

    // Writes support.dat into `folder`; members named in `leaveOut` are not written.
    void WriteSupport(const QString& folder, const std::vector<std::string>& leaveOut = {}) const;
    // Writes order0.dat..order9.dat into `folder`.
    void WritePages(const QString& folder) const;
};

}  // namespace pagora::testing
