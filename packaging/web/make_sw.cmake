# Writes the site's service worker (sw.js) after every build of the page: its
# cache is named for a digest of the site's files, so each build that changes
# anything the player downloads gets a cache of its own.
#   cmake -DSITE=dir -DTEMPLATE=sw.js.in -DFILES="a;b;c" -P make_sw.cmake
set(digest "")
set(listed "'./'")
foreach(f ${FILES})
  if(NOT EXISTS "${SITE}/${f}")
    message(FATAL_ERROR "The site lacks ${f}")
  endif()
  file(MD5 "${SITE}/${f}" sum)
  string(APPEND digest "${sum}")
  string(APPEND listed ", '${f}'")
endforeach()
string(MD5 SQ_BUILD_ID "${digest}")
string(SUBSTRING "${SQ_BUILD_ID}" 0 16 SQ_BUILD_ID)
set(SQ_SITE_FILES "${listed}")
configure_file("${TEMPLATE}" "${SITE}/sw.js" @ONLY)
