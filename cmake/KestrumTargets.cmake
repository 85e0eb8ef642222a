# A subsystem library holds every source of its folder, so adding a class needs no CMake edit.
function(kestrum_library folder)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.qrc)
    list(FILTER sources EXCLUDE REGEX "/app/main\\.cpp$")
    if(NOT sources)
        set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(kestrum_${folder} STATIC ${sources})
    target_include_directories(kestrum_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/${folder})
    target_link_libraries(kestrum_${folder} PUBLIC ${ARGN})
    target_compile_options(kestrum_${folder} PRIVATE -Wall -Wextra)
endfunction()

# Every tst_*.cpp of a test folder is one test executable, run once in the C locale and once
# in the Russian one, because numbers in files must not follow the user's locale.
function(kestrum_tests folder)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(test_source ${tests})
        get_filename_component(name ${test_source} NAME_WE)
        add_executable(${name} ${test_source})
        target_link_libraries(${name} PRIVATE ${ARGN} kestrum_testsupport Qt6::Test)
        foreach(locale C ru_RU.UTF-8)
            set(test_name ${folder}/${name}/${locale})
            add_test(NAME ${test_name} COMMAND ${name})
            set_tests_properties(${test_name} PROPERTIES
                TIMEOUT 300
                ENVIRONMENT "LC_ALL=${locale};LANG=${locale};QT_QPA_PLATFORM=offscreen;KESTRUM_SOURCE_DIR=${CMAKE_SOURCE_DIR};KESTRUM_SHARED_DIR=${CMAKE_SOURCE_DIR}/../shared;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp;ASAN_OPTIONS=detect_leaks=1")
        endforeach()
    endforeach()
endfunction()
