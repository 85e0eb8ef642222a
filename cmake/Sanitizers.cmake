# Sanitizers apply to every target of the tree, our libraries and tests alike.
if(KESTRUM_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(KESTRUM_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT KESTRUM_SANITIZE STREQUAL "")
    message(FATAL_ERROR "KESTRUM_SANITIZE must be address, thread or empty, not '${KESTRUM_SANITIZE}'")
endif()

# Fuzzing instruments the whole tree so coverage reaches our parsers, not just the entry points.
# Optimised, so a minute of fuzzing covers ground, with debug information for readable reports
# and assertions kept; undefined behaviour ends the run like any other finding.
if(KESTRUM_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer -O2 -g)
    add_link_options(-fsanitize=address,undefined)
endif()
