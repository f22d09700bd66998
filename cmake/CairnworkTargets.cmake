# Display-free libraries link Qt Core/Sql (and Gui where painting needs it);
# widgets live only in ui/ libraries.
function(cw_add_library NAME)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${NAME} STATIC ${ARG_SOURCES})
    target_include_directories(${NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${NAME} PUBLIC ${ARG_LIBS})
endfunction()

# cw_add_test(NAME SOURCES ... LIBS ... [GUI])
function(cw_add_test NAME)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${NAME} ${ARG_SOURCES})
    target_link_libraries(${NAME} PRIVATE cw_testsupport Qt6::Test ${ARG_LIBS})
    add_test(NAME ${NAME} COMMAND ${NAME})
    set(label core)
    if(ARG_GUI)
        set(label gui)
    endif()
    set_tests_properties(${NAME} PROPERTIES
        LABELS ${label}
        TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=Europe/Berlin;QT_LOGGING_RULES=qt.qpa.*=false")
endfunction()
