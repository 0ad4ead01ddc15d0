# The simulated RAS service's portable sources (no <windows.h>), for the native unit tests.
set(SIM_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SimConfig.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrafficMeter.cpp)
