# The about box, the product's version and the maker's web-site address.
# Included by window/CMakeLists.txt; builds the targets pagora_version and pagora_about.
if(TARGET pagora_about)
  return()
endif()

find_package(Qt6 REQUIRED COMPONENTS Widgets)

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

configure_file("${PROJECT_SOURCE_DIR}/app/Version.h.in"
               "${PROJECT_BINARY_DIR}/generated/pagora_version.h" @ONLY)
add_library(pagora_version INTERFACE)
target_include_directories(pagora_version INTERFACE "${PROJECT_BINARY_DIR}/generated")

add_library(pagora_about STATIC
  "${CMAKE_CURRENT_LIST_DIR}/AboutInfo.cpp" "${CMAKE_CURRENT_LIST_DIR}/AboutInfo.h"
  "${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp" "${CMAKE_CURRENT_LIST_DIR}/frmAbout.h")
set_target_properties(pagora_about PROPERTIES AUTOMOC ON)
target_include_directories(pagora_about PUBLIC "${PROJECT_SOURCE_DIR}")
target_link_libraries(pagora_about PUBLIC Qt6::Widgets pagora_version PRIVATE pagora_window)
