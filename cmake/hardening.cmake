# Debian's hardening, as dpkg-buildflags gives it for a package on amd64 (hardening=+all): a
# stack protector on every function with a local array or address taken, checked variants of the
# string and memory functions where the compiler knows the sizes, format strings that must be
# literals, position-independent code, and a relocation table made read-only before the program
# starts (full RELRO: every symbol bound at start-up); and what later Debian releases add and
# hardening-check asks for: stack clash protection and control-flow protection. The program and
# the package are built so.
option(BREVAK_HARDEN "Build with Debian's hardening flags" ON)
if(BREVAK_HARDEN)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection -Wformat
                      -Werror=format-security)
  # The checked functions need the optimiser, which the Debug build (the sanitizers') leaves off.
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
