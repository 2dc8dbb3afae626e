# The warnings every project file is built with. Headers of the system, Qt
# and the test libraries come in through -isystem (imported targets), so
# they are not held to them. With TOLV_WERROR (test.sh sets it) a warning in
# a project file fails the build.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
option(TOLV_WERROR "Fail the build on a warning in a project file" OFF)
if(TOLV_WERROR)
  add_compile_options(-Werror)
endif()
