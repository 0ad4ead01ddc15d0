#pragma once

// The rasapi32.dll a case plants beside a copy of the program (probes/PlantedRas_dll.cpp).

namespace e2e {

// Built beside the driver under this name; planted as rasapi32.dll.
inline constexpr const char* kPlantedRasDll = "e2e_planted_rasapi32.dll";
// Loaded, it leaves a file of its own path with this added.
inline constexpr const char* kLoadedMarkerSuffix = ".loaded";

} // namespace e2e
