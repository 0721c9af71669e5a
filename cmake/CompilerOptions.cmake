# Warnings for the project's own targets, applied per target so that generated
# moc files and third-party headers are not held to -Werror.
function(stellwick_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports std::variant alternatives as "maybe uninitialized" once
    # optimisation and the sanitizers inline through them; the plain
    # -Wuninitialized stays on.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
endfunction()

# The sanitizer build instruments everything it links, libraries included.
if(STELLWICK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
