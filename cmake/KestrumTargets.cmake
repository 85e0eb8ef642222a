# A subsystem library holds every source of its folder, so adding a class needs no CMake edit.
# Files under resources/<folder>/ are that library's resources, compiled into it under ":/".
function(kestrum_library folder)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    list(FILTER sources EXCLUDE REGEX "/app/main\\.cpp$")
    if(NOT sources)
        set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(kestrum_${folder} STATIC ${sources})
    target_include_directories(kestrum_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/${folder})
    target_link_libraries(kestrum_${folder} PUBLIC ${ARGN})
    target_compile_options(kestrum_${folder} PRIVATE -Wall -Wextra)
    kestrum_resources(kestrum_${folder} ${folder} ${CMAKE_SOURCE_DIR}/resources/${folder})
endfunction()

# Compiles every file under base_dir into the target as ":/<path below base_dir>". Qt links the
# resources of a static library into each executable that links the library; resources listed
# as a .qrc source of a static library would be dropped by the linker instead.
function(kestrum_resources target name base_dir)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${base_dir}/*)
    if(files)
        qt_add_resources(${target} ${name} PREFIX "/" BASE ${base_dir} FILES ${files})
    endif()
endfunction()

# Every tst_*.cpp of a test folder is one test executable, run once in the C locale and once
# in the Russian one, because numbers in files must not follow the user's locale. A folder's
# tests link only that folder's library and what lies below it.
function(kestrum_tests folder)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    # The whole-run tests take minutes under the sanitizers while the other tests run beside
    # them; a hung test still ends, just not before a busy machine could finish a sound one.
    # ThreadSanitizer runs the program several times slower again.
    set(timeout 600)
    if(KESTRUM_SANITIZE STREQUAL "thread")
        set(timeout 900)
    endif()
    foreach(test_source ${tests})
        get_filename_component(name ${test_source} NAME_WE)
        add_executable(${name} ${test_source})
        target_link_libraries(${name} PRIVATE ${ARGN} Qt6::Test)
        if(KESTRUM_SANITIZE STREQUAL "thread")
            target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/QtWorkerThreadsTsan.cpp)
            target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS})
        endif()
        foreach(locale C ru_RU.UTF-8)
            set(test_name ${folder}/${name}/${locale})
            add_test(NAME ${test_name} COMMAND ${name})
            set_tests_properties(${test_name} PROPERTIES
                TIMEOUT ${timeout}
                ENVIRONMENT "LC_ALL=${locale};LANG=${locale};QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp;ASAN_OPTIONS=detect_leaks=1:max_allocation_size_mb=2048")
        endforeach()
    endforeach()
endfunction()
