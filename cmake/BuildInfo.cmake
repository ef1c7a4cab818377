# The build settings compiled into the application, as a generated header. A setting may hold any
# text, quotes, backslashes and line breaks included: each byte becomes a hexadecimal escape in a
# string literal of its own (adjacent literals join), so no character can end the literal early or
# change what it says.

# `text` as a C++ string literal, in the variable named `out`.
function(threadhop_cpp_string_literal text out)
    string(HEX "${text}" hex)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" " \"\\\\x\\1\"" pieces "${hex}")
    set(${out} "\"\"${pieces}" PARENT_SCOPE)
endfunction()

# Writes `output` from `template`, in which @<setting>_LITERAL@ stands for each setting's literal.
function(threadhop_write_build_info template output)
    foreach(setting IN ITEMS PROJECT_VERSION THREADHOP_BUILD_NUMBER THREADHOP_PRODUCT_PAGE_URL
                             THREADHOP_PRODUCT_PAGE_FALLBACK THREADHOP_UPDATE_FEED_URL)
        threadhop_cpp_string_literal("${${setting}}" ${setting}_LITERAL)
    endforeach()
    configure_file("${template}" "${output}" @ONLY)
endfunction()
