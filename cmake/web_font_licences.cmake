# Writes the page's fonts/README.txt: the files of PARTS (the page's own
# introduction, then each font package's copyright file and the licence
# text it names) one after the other, each under a line naming it.
#   cmake -DOUT=file -DPARTS="a;b;..." -P web_font_licences.cmake
set(text "")
foreach(part ${PARTS})
  file(READ ${part} body)
  if(text STREQUAL "")
    set(text "${body}")
  else()
    string(APPEND text "\n\n======== ${part}\n\n${body}")
  endif()
endforeach()
file(WRITE ${OUT} "${text}")
