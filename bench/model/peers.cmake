# The OBJ loaders the engine's loader is measured against, and the plain reference loader of the
# tests that every loaded model is checked against. Linked into bench_model only.
find_package(tinyobjloader CONFIG REQUIRED)
find_package(assimp CONFIG REQUIRED)
target_sources(bench_${subsystem} PRIVATE ${CMAKE_SOURCE_DIR}/tests/model/ReferenceObjLoader.cpp)
target_link_libraries(bench_${subsystem} PRIVATE tinyobjloader::tinyobjloader assimp::assimp)
