# SDL_gfx's polygon filler, the peer of the software rasteriser; linked into this benchmark only.
pkg_check_modules(SDL_GFX REQUIRED IMPORTED_TARGET SDL_gfx)
target_link_libraries(bench_${subsystem} PRIVATE PkgConfig::SDL_GFX)
