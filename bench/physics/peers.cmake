# Bullet is the peer of the collision sweep and of the cloth; it is linked into this benchmark only.
pkg_check_modules(BULLET REQUIRED IMPORTED_TARGET bullet)
target_link_libraries(bench_${subsystem} PRIVATE PkgConfig::BULLET)
# The references the engine's sweep and cloth step are compared with live with the tests.
set(PHYSICS_REFERENCES ${CMAKE_SOURCE_DIR}/tests/physics/CollisionReference.cpp
    ${CMAKE_SOURCE_DIR}/tests/physics/ClothReference.cpp)
set_source_files_properties(${PHYSICS_REFERENCES} PROPERTIES COMPILE_OPTIONS -ffp-contract=off)
target_sources(bench_${subsystem} PRIVATE ${PHYSICS_REFERENCES})
