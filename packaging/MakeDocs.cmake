# Build-time helper for the installed documents, run as
#   cmake -DACTION=<action> -DOUTPUT=<file> ... -P MakeDocs.cmake
# ACTION=copyright: Debian's machine-readable copyright file from TEMPLATE, with the licence texts
#   of NODE_MODULES/quran-json and NODE_MODULES/quran-meta and the variables given by -D.
# ACTION=credits: the program's licences, then the data sources as the support archive's
#   credits.txt (INPUT, CR LF lines) lists them.
# ACTION=gzip: INPUT compressed the Debian way (no name, no time stamp).
cmake_minimum_required(VERSION 3.25)

# A licence text as a paragraph of the copyright file: every line indented, blank lines as " .".
function(copyright_paragraph file out)
  file(READ "${file}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REGEX REPLACE "[ \t]+\n" "\n" text "${text}")
  string(STRIP "${text}" text)
  # Twice, for runs of blank lines.
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  set(${out} " ${text}" PARENT_SCOPE)
endfunction()

function(package_version name out)
  file(READ "${NODE_MODULES}/${name}/package.json" json)
  string(JSON version GET "${json}" version)
  set(${out} "${version}" PARENT_SCOPE)
endfunction()

if(ACTION STREQUAL "copyright")
  copyright_paragraph("${NODE_MODULES}/quran-json/LICENSE.txt" CC_BY_SA_TEXT)
  copyright_paragraph("${NODE_MODULES}/quran-meta/LICENSE" MIT_TEXT)
  package_version(quran-json QURAN_JSON_VERSION)
  package_version(quran-meta QURAN_META_VERSION)
  string(SUBSTRING "${PAGORA_RELEASE_DATE}" 0 4 PAGORA_RELEASE_YEAR)
  configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
elseif(ACTION STREQUAL "credits")
  file(READ "${INPUT}" sources)
  string(REPLACE "\r\n" "\n" sources "${sources}")
  string(STRIP "${sources}" sources)
  file(WRITE "${OUTPUT}" "Tamrit Pagora ${VERSION}

The programs pagora, pagora-pack and pagora-export: GNU General Public License, version 3 or
later (GPL-3.0-or-later). Its text is the file LICENSE of the sources, which `cmake --install` puts
beside this file; on Debian it is /usr/share/common-licenses/GPL-3.

The page archives (share/pagora/*.dat): the text of quran-json rearranged into pages, an
adaptation shared under Creative Commons Attribution-ShareAlike 4.0 International
(CC BY-SA 4.0), with the page tables of quran-meta under the MIT licence.

The font: the page text is shown in Amiri Quran, from Debian's package fonts-hosny-amiri (SIL
Open Font License 1.1). It is installed separately and not included here.

${sources}
")
elseif(ACTION STREQUAL "gzip")
  execute_process(COMMAND gzip -9 -n -c INPUT_FILE "${INPUT}" OUTPUT_FILE "${OUTPUT}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${INPUT}")
  endif()
else()
  message(FATAL_ERROR "MakeDocs.cmake: unknown ACTION \"${ACTION}\"")
endif()
