# The areas run on the shipped game: its script package and the data its generator writes.
target_compile_definitions(bench_game PRIVATE BW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
