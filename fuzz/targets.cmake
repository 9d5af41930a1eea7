# The fuzz targets and the library each one links. Shared by the libFuzzer
# build (fuzz/CMakeLists.txt) and by the tests that replay the inputs kept
# in fuzz/regressions/<target>/ in every build.
set(FUZZ_TARGETS location morvel args col tindra trasply gzip colshow bed vcf features)
set(FUZZ_LIBS_location morvel_core)
set(FUZZ_LIBS_morvel morvel_core)
set(FUZZ_LIBS_args morvel_core col)
set(FUZZ_LIBS_col col)
set(FUZZ_LIBS_tindra tindra_core)
set(FUZZ_LIBS_trasply trasply_core)
set(FUZZ_LIBS_gzip support)
set(FUZZ_LIBS_colshow colshow_core)
set(FUZZ_LIBS_bed tindra_core)
set(FUZZ_LIBS_vcf morvel_core)
set(FUZZ_LIBS_features tindra_core)

# Sets `out` to TRUE when every library of the target exists in this build.
function(fuzz_libs_ready target out)
  set(ready TRUE)
  foreach(lib ${FUZZ_LIBS_${target}})
    if(NOT TARGET ${lib})
      set(ready FALSE)
    endif()
  endforeach()
  set(${out} ${ready} PARENT_SCOPE)
endfunction()
