# Display-free libraries link Qt Core/Sql (and Gui where painting needs it);
# widgets live only in ui/ libraries.
function(cw_add_library NAME)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${NAME} STATIC ${ARG_SOURCES})
    target_include_directories(${NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${NAME} PUBLIC ${ARG_LIBS})
endfunction()

# cw_add_test(NAME SOURCES ... LIBS ... [GUI] [BOTH_ENGINES])
# BOTH_ENGINES registers the same executable a second time as NAME.server, whose
# TempProjects live on the PostgreSQL server of the environment (pg_virtualenv); it is
# reported as skipped when no server answers, except under CI=true.
function(cw_add_test NAME)
    cmake_parse_arguments(ARG "GUI;BOTH_ENGINES" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${NAME} ${ARG_SOURCES})
    target_link_libraries(${NAME} PRIVATE cw_testsupport Qt6::Test ${ARG_LIBS})
    set(label core)
    if(ARG_GUI)
        set(label gui)
    endif()
    set(environment "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=Europe/Berlin;QT_LOGGING_RULES=qt.qpa.*=false")
    add_test(NAME ${NAME} COMMAND ${NAME})
    set_tests_properties(${NAME} PROPERTIES LABELS ${label} TIMEOUT 300 ENVIRONMENT "${environment}")
    if(ARG_BOTH_ENGINES)
        add_test(NAME ${NAME}.server COMMAND ${NAME})
        set_tests_properties(${NAME}.server PROPERTIES
            LABELS "${label};server"
            TIMEOUT 300
            SKIP_RETURN_CODE 77
            ENVIRONMENT "${environment};CW_TEST_ENGINE=server")
    endif()
endfunction()
