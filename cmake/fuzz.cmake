# zentorix_fuzz_targets(LIBRARY NAME...): NAME_fuzz from NAME_fuzz.cpp, linked
# with LIBRARY, and a CTest entry that runs it for about 20 s. New inputs go to
# a folder in the build tree; the seed corpus in the sources stays as it is.
function(zentorix_fuzz_targets library)
    foreach(name IN LISTS ARGN)
        set(target ${name}_fuzz)
        add_executable(${target} ${target}.cpp)
        target_link_libraries(${target} PRIVATE ${library})
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
        set(found ${CMAKE_CURRENT_BINARY_DIR}/corpus-${name})
        file(MAKE_DIRECTORY ${found})
        add_test(NAME Fuzz.${name}
            COMMAND ${target} -max_total_time=20 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                    ${found} ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
        set_tests_properties(Fuzz.${name} PROPERTIES TIMEOUT 120)
    endforeach()
endfunction()
