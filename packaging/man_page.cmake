# Writes one tool's manual page from its --help with help2man, compressed.
# cmake -DHELP2MAN=... -DTOOL=... -DNAME=... -DSUMMARY=... -DVERSION=...
#       -DOUT=page.1.gz -DSTAMP=... -P man_page.cmake
# A tool that cannot answer --help yet gets no page and a warning, so the
# build goes on; the page appears as soon as the tool learns --help.
get_filename_component(roff ${OUT} NAME_WLE)
set(roff ${CMAKE_CURRENT_BINARY_DIR}/${roff})
execute_process(
    COMMAND ${HELP2MAN} --no-info --version-string=${VERSION} --name=${SUMMARY}
            --section=1 --output=${roff} ${TOOL}
    RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT status EQUAL 0)
    file(REMOVE ${roff} ${OUT})
    string(STRIP "${errors}" errors)
    message(WARNING "no manual page for ${NAME}: help2man cannot read its --help (${errors})")
else()
    execute_process(COMMAND gzip -9nc ${roff} OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
    file(REMOVE ${roff})
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot compress the manual page of ${NAME}")
    endif()
endif()
file(TOUCH ${STAMP})
