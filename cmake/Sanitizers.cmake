# MORVANE3_SANITIZE=address,undefined or thread builds every target with that sanitizer.
if(MORVANE3_SANITIZE)
  add_compile_options(-fsanitize=${MORVANE3_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${MORVANE3_SANITIZE})
endif()
