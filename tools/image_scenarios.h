// tools/image_scenarios.h
//
// The catalogue of ready-made images the reader, VKFS and GUI tests start from,
// each in format version 1 and 2. A scenario is a function from (variant,
// version) to an ImageSpec; building it gives the image and its manifest. The
// special cases of each scenario carry marks (Manifest::FindMark) so tests find
// them by name rather than by position. ScenarioHelp() describes every scenario,
// variant and mark.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "tools/image_builder.h"
#include "tools/image_manifest.h"
#include "tools/image_spec.h"

namespace vektools {

struct ScenarioInfo {
    std::string name;
    std::vector<std::string> variants;  // the first is the default; empty when there are none
    std::string help;
};

const std::vector<ScenarioInfo>& ScenarioCatalogue();

// The recipe of a scenario; an empty variant picks the default. False with a
// message for an unknown scenario, variant or version.
bool MakeScenario(const std::string& name,
                  const std::string& variant,
                  int version,
                  ImageSpec* out,
                  std::string* error);

// A scenario built into a new MemDisk.
struct ScenarioImage {
    ImageSpec recipe;
    Manifest manifest;
    std::shared_ptr<platform::MemDisk> disk;
};
bool BuildScenario(const std::string& name,
                   const std::string& variant,
                   int version,
                   ScenarioImage* out,
                   std::string* error,
                   const BuildOptions& options = {});

// Text for --help: every scenario with its variants and marks.
std::string ScenarioHelp();

}  // namespace vektools
