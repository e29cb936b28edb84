# Lists, for scripts/windows-check.sh, every source file that a Windows build of the
# program compiles, with each one's flags: build/windows-check/sources.txt holds lines
# "<flags file> <source>". The Windows files (*_win.cpp) stand in for the Linux ones
# (*_linux.cpp) as tavrik_platform_sources chooses them on Windows; the flags are the
# target's own, with Windows' standard definitions added.
if(WIN32)
    return()
endif()

# The targets a Windows build builds (tavrik-radio-sim and the tests are left out: the
# first is Unix-only, the second are not the program).
set(tavrik_windows_targets
    platform_core platform_widgets settings link ports ui app_window app_program
    VEL_TAVRIK_DovI tavrik-screenshot radiosim)

set(check_dir ${CMAKE_BINARY_DIR}/windows-check)
set(own_trees "")
foreach(tree ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
    string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" tree "${tree}")
    list(APPEND own_trees "${tree}/")
endforeach()
list(JOIN own_trees "|" own_trees)
set(lines "")
foreach(target IN LISTS tavrik_windows_targets)
    if(NOT TARGET ${target})
        continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    set(windows_sources "")
    set(folders "")
    foreach(source IN LISTS sources)
        if(NOT source MATCHES "\\.cpp$")
            continue()
        endif()
        get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
        get_filename_component(folder ${path} DIRECTORY)
        list(APPEND folders ${folder})
        if(NOT path MATCHES "_linux\\.cpp$")
            list(APPEND windows_sources ${path})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES folders)
    foreach(folder IN LISTS folders)
        file(GLOB windows_only CONFIGURE_DEPENDS ${folder}/*_win.cpp)
        list(APPEND windows_sources ${windows_only})
    endforeach()
    list(REMOVE_DUPLICATES windows_sources)

    set(flags ${check_dir}/${target}.flags)
    # The project's own headers warn as they would on Windows; Qt's are system headers
    # (as CMake passes them). The host's own system headers are no part of a Windows
    # build, and code is always position independent there.
    set(all_includes "$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>")
    set(includes "$<FILTER:${all_includes},INCLUDE,^(${own_trees})>")
    set(system_includes "$<FILTER:$<FILTER:${all_includes},EXCLUDE,^(${own_trees})>,EXCLUDE,^/usr/include/?$>")
    set(definitions "$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>")
    # Sanitizers are this machine's test build's, no part of a Windows build.
    set(options "$<FILTER:$<TARGET_PROPERTY:${target},COMPILE_OPTIONS>,EXCLUDE,^(-fPIC|-fsanitize.*|-fno-sanitize.*|-fno-omit-frame-pointer)$>")
    file(GENERATE OUTPUT ${flags} CONTENT
"-std=c++17
-DUNICODE
-D_UNICODE
-DWIN32
-DWIN64
-DMINGW_HAS_SECURE_API=1
$<$<BOOL:${definitions}>:'-D$<JOIN:${definitions},'\n'-D>'>
$<$<BOOL:${includes}>:'-I$<JOIN:${includes},'\n'-I>'>
$<$<BOOL:${system_includes}>:'-isystem$<JOIN:${system_includes},'\n'-isystem>'>
$<JOIN:${options},\n>
")
    foreach(source IN LISTS windows_sources)
        string(APPEND lines "${flags} ${source}\n")
    endforeach()
endforeach()
file(WRITE ${check_dir}/sources.txt "${lines}")
