# tundrel_embed(<target> <symbol> <file> [DEPENDS <target>])
# Adds the bytes of <file> to <target> under the C++ declaration
#   extern "C" const unsigned char <symbol>[]; extern "C" const unsigned char <symbol>_end[];
# The file is read at build time through the assembler's .incbin, so a changed file re-links.
function(tundrel_embed target symbol file)
    cmake_parse_arguments(E "" "" "DEPENDS" ${ARGN})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.cpp)
    file(WRITE ${out}.in
"// Generated: the bytes of ${file}.
__asm__(\".section .rodata\\n\"
        \".global ${symbol}\\n\"
        \".balign 16\\n\"
        \"${symbol}:\\n\"
        \".incbin \\\"${file}\\\"\\n\"
        \".global ${symbol}_end\\n\"
        \"${symbol}_end:\\n\"
        \".byte 0\\n\"
        \".previous\\n\");
")
    configure_file(${out}.in ${out} COPYONLY)
    set_source_files_properties(${out} PROPERTIES OBJECT_DEPENDS ${file})
    target_sources(${target} PRIVATE ${out})
    if(E_DEPENDS)
        add_dependencies(${target} ${E_DEPENDS})
    endif()
endfunction()
