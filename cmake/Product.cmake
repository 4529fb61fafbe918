# The product's version and the maker's web-site address, as the header pagora_version.h of
# the target pagora_version.
set(PAGORA_WEBSITE "https://www.tamrit.com" CACHE STRING
    "The maker's web-site address (scheme and host), used by \"Visit Website\" and the Tilora help")
string(REGEX REPLACE "/+$" "" PAGORA_WEBSITE_CLEAN "${PAGORA_WEBSITE}")
# It goes into a C++ string literal and in front of a page path: no quotes, backslashes, blanks,
# query or fragment.
if(NOT PAGORA_WEBSITE_CLEAN MATCHES "^[A-Za-z][A-Za-z0-9+.-]*://[^/ \t\r\n\"\\\\?#]+(/[^ \t\r\n\"\\\\?#]*)?$")
  message(FATAL_ERROR "PAGORA_WEBSITE must be a web address such as https://www.example.com, "
                      "not \"${PAGORA_WEBSITE}\"")
endif()

# The version shown to the user is the project's own.
set(PAGORA_VERSION_MAJOR "${CMAKE_PROJECT_VERSION_MAJOR}")
set(PAGORA_VERSION_MINOR "${CMAKE_PROJECT_VERSION_MINOR}")
set(PAGORA_VERSION_REVISION "${CMAKE_PROJECT_VERSION_PATCH}")
foreach(part PAGORA_VERSION_MAJOR PAGORA_VERSION_MINOR PAGORA_VERSION_REVISION)
  if("${${part}}" STREQUAL "")
    set(${part} 0)
  endif()
  # Plain decimal: no leading zeros in the version line (and none that C++ would read as octal).
  string(REGEX REPLACE "^0+([0-9])" "\\1" ${part} "${${part}}")
endforeach()

configure_file("${PROJECT_SOURCE_DIR}/reader/Version.h.in"
               "${PROJECT_BINARY_DIR}/generated/pagora_version.h" @ONLY)
add_library(pagora_version INTERFACE)
target_include_directories(pagora_version INTERFACE "${PROJECT_BINARY_DIR}/generated")


# The date of this version's release, for the AppStream metadata and the Debian changelog.
# Change it together with the project version.
set(PAGORA_RELEASE_DATE "2026-12-06")

# The product's page on the maker's site: the homepage of the package and the metadata.
set(PAGORA_WEB_PAGE "${PAGORA_WEBSITE_CLEAN}/free-quran-software/software-for-reading-quran/pagora.htm")

# The application id names the desktop entry, the icon and the AppStream metadata: the web
# site's host in reverse order ("www." dropped), then "Pagora", as in com.tamrit.Pagora. Parts
# are made valid D-Bus name elements: "-" becomes "_", a leading digit gets a "_" before it.
string(REGEX REPLACE "^[^:]*://([^/]*@)?([^/:]+).*$" "\\2" pagora_host "${PAGORA_WEBSITE_CLEAN}")
string(TOLOWER "${pagora_host}" pagora_host)
string(REGEX REPLACE "^www\\." "" pagora_host "${pagora_host}")
string(REPLACE "." ";" pagora_host_parts "${pagora_host}")
list(REMOVE_ITEM pagora_host_parts "")
list(REVERSE pagora_host_parts)
set(PAGORA_APP_ID "")
foreach(part IN LISTS pagora_host_parts)
  string(REGEX REPLACE "[^a-z0-9_]" "_" part "${part}")
  if(part MATCHES "^[0-9]")
    string(PREPEND part "_")
  endif()
  string(APPEND PAGORA_APP_ID "${part}.")
endforeach()
string(APPEND PAGORA_APP_ID "Pagora")
target_compile_definitions(pagora_version INTERFACE PAGORA_APP_ID="${PAGORA_APP_ID}")

# Who answers for the Debian package, and where the pictures of docs/ are published (the
# AppStream screenshots must be web addresses). Set both when making a package to distribute.
set(PAGORA_MAINTAINER "Tamrit Pagora maintainers <pagora@${pagora_host}>" CACHE STRING
    "Maintainer of the Debian package: a name and an e-mail address in <>")
set(PAGORA_SCREENSHOTS_URL "${PAGORA_WEBSITE_CLEAN}/free-quran-software/software-for-reading-quran/pagora"
    CACHE STRING "Web address of the folder holding the images of docs/, for the AppStream screenshots")
string(REGEX REPLACE "/+$" "" PAGORA_SCREENSHOTS_URL_CLEAN "${PAGORA_SCREENSHOTS_URL}")
