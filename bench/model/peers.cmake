# The OBJ loaders the engine's loader is measured against, and the plain reference loader and
# immediate-mode drawing of the tests that the engine is checked against. Linked into bench_model only.
find_package(tinyobjloader CONFIG REQUIRED)
find_package(assimp CONFIG REQUIRED)
target_sources(bench_${subsystem} PRIVATE ${CMAKE_SOURCE_DIR}/tests/model/ReferenceObjLoader.cpp
                                           ${CMAKE_SOURCE_DIR}/tests/model/ReferenceDrawing.cpp)
target_link_libraries(bench_${subsystem} PRIVATE tinyobjloader::tinyobjloader assimp::assimp)
