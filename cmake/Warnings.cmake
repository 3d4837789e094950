# Warnings for the project's own code only (JUCE and generated sources keep theirs).
function(morvane3_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
    -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion
    -Wno-missing-field-initializers)
endfunction()
