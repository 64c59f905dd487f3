# What `cmake --install` puts beside the programs.

install(FILES ${PROJECT_SOURCE_DIR}/doc/lindo.1 DESTINATION share/man/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lindo.bash-completion
        DESTINATION share/bash-completion/completions RENAME lindo)
