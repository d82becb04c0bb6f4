# The portable program folder: the program, the command-line tool, the templates, ini/fdir.ini and the
# default diary folder. It lies outside the build tree, so a clean rebuild never deletes it, and an
# install over it never overwrites what the user has (fdir.ini, diary folders).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX "${PROJECT_SOURCE_DIR}/dist/Tsuzuri" CACHE PATH "Program folder" FORCE)
endif()

install(TARGETS tsuzuri-cli tsuzuri-cli-upload tsuzuri-cli-backup RUNTIME DESTINATION .)
if(TARGET tsuzuri)
    install(TARGETS tsuzuri RUNTIME DESTINATION .)
endif()
install(FILES templates/calender.css templates/calender.js README.md DESTINATION .)
install(CODE [[
    set(home "${CMAKE_INSTALL_PREFIX}")
    if(DEFINED ENV{DESTDIR})
        set(home "$ENV{DESTDIR}${home}")
    endif()
    file(MAKE_DIRECTORY "${home}/ini")
    if(NOT EXISTS "${home}/ini/fdir.ini")
        # One line, CR LF, as the program writes it.
        file(WRITE "${home}/ini/fdir.ini" "diary\r\n")
    endif()
    if(NOT EXISTS "${home}/ini/etc_diary.ini")
        # The usual sizes, as a new diary folder gets them.
        file(WRITE "${home}/ini/etc_diary.ini" "[imw]320\r\n[imh]240\r\n[mow]320\r\n[moh]256\r\n[chk]0\r\n")
    endif()
    if(NOT EXISTS "${home}/diary")
        file(MAKE_DIRECTORY "${home}/diary/image")
        file(COPY "${home}/calender.css" "${home}/calender.js" DESTINATION "${home}/diary")
    endif()
]])
