# The fast row scan's own sources, its matrix-product library (OpenBLAS's CBLAS) and kernel
# flags. Included by this folder's CMakeLists.txt when KINETROPE_FAST_ROW_SCAN is ON.
set(BLA_VENDOR OpenBLAS)
find_package(BLAS REQUIRED)
find_package(Threads REQUIRED)
target_sources(kt_graph PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/fast_row_scan.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fast_kernels.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fast_window_scorer.cpp
)
target_link_libraries(kt_graph PRIVATE BLAS::BLAS Threads::Threads)
# The kernels reproduce some of the reference's float roundings operation for operation, so
# no multiply-add contraction; sqrt without errno and the dynamic cost model let the loops
# vectorise.
# (The cost model flag is GCC's own; clang builds such as the fuzzers' go without it.)
set(kinetrope_kernel_flags -ffp-contract=off -fno-math-errno)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND kinetrope_kernel_flags -fvect-cost-model=dynamic)
endif()
set_source_files_properties(fast_kernels.cpp PROPERTIES COMPILE_OPTIONS "${kinetrope_kernel_flags}")
