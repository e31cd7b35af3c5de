# The floors of src/, from the ground up, and the one table of which folder
# may include which: VORA_MAY_USE_<folder> lists the folders that the code of
# <folder> may include and its library may link. A folder reaches only floors
# below its own; traffic and scanners share a floor and do not reach each
# other. "main" is src/main.cpp, which starts the program in app.
#
# The build refuses a library that links a folder outside its line, and the
# layout test (ctest -L layout) refuses any #include in src/ that reaches one.
# docs/ARCHITECTURE.md explains the floors; a new folder gets its line here.
set(VORA_FLOORS platform core liveries airports simlink service traffic scanners gui app main)

set(VORA_MAY_USE_platform "")
set(VORA_MAY_USE_core platform)
set(VORA_MAY_USE_liveries core platform)
set(VORA_MAY_USE_airports liveries core platform)
set(VORA_MAY_USE_simlink airports liveries core platform)
set(VORA_MAY_USE_service simlink airports liveries core platform)
set(VORA_MAY_USE_traffic service simlink airports liveries core platform)
set(VORA_MAY_USE_scanners service simlink airports liveries core platform)
set(VORA_MAY_USE_gui traffic scanners service simlink airports liveries core platform)
set(VORA_MAY_USE_app gui traffic scanners service simlink airports liveries core platform)
set(VORA_MAY_USE_main app platform)
