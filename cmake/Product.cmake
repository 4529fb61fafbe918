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

