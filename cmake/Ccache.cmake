# ccache, when installed. CCACHE_BASEDIR makes paths relative and
# CCACHE_NOHASHDIR leaves the build folder out of the key (debug info then
# names the folder of whichever build filled the cache), so build folders and
# clones of the tree share one cache.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=1 ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
