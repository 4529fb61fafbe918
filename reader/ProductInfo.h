#pragma once

#include <QString>

namespace pagora {

// The product's own texts, shared by the about box, the web-site command and the Tilora help.
// Version and web-site address come from the build (project version, PAGORA_WEBSITE).

// "Tamrit Pagora".
QString ProductTitle();
// "Version 1.1.2": major, minor and revision in plain decimal.
QString VersionText();
// The about box's fixed description (it ends with a space).
QString ProductDescription();

// The maker's web site, scheme and host, e.g. "https://www.tamrit.com".
QString MakerWebsite();
// The product's page on the maker's web site, opened by "Visit Website".
QString WebPageLink();

// Title and text of the "How to recite verse" message: six lines joined by CR LF, no line break
// after the last; line 3 names the maker's web site.
QString TiloraHelpTitle();
QString TiloraHelpText();

}  // namespace pagora
