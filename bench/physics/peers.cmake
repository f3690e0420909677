# Bullet is the peer of the collision sweep and of the cloth; it is linked into this benchmark only.
pkg_check_modules(BULLET REQUIRED IMPORTED_TARGET bullet)
target_link_libraries(bench_${subsystem} PRIVATE PkgConfig::BULLET)
