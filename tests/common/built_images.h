// tests/common/built_images.h
//
// Disk images of the tools' image builder, made in memory for a test: a
// recipe (or a scenario of the catalogue, tools/image_scenarios.h) with the
// manifest of what was written. An image that cannot be built fails the
// running test with the builder's message, and the test goes on with a blank
// disk, so it fails on its own checks rather than crashing.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "platform/mem_device.h"
#include "tools/image_builder.h"
#include "tools/image_scenarios.h"
#include "tools/image_spec.h"

namespace vektest {

// The recipe, the manifest and the in-memory disk.
using BuiltImage = vektools::ScenarioImage;

// The recipe of a catalogue scenario (the default variant when none is named).
inline vektools::ImageSpec ScenarioRecipe(const std::string& name,
                                          int version,
                                          const std::string& variant = "") {
    vektools::ImageSpec recipe;
    std::string error;
    if (!vektools::MakeScenario(name, variant, version, &recipe, &error))
        ADD_FAILURE() << "scenario " << name << " " << variant << " v" << version << ": " << error;
    return recipe;
}

// A new image of `recipe`, the test's own to change.
inline BuiltImage MakeImage(const vektools::ImageSpec& recipe, const vektools::BuildOptions& options = {}) {
    BuiltImage image;
    image.recipe = recipe;
    std::string error;
    if (!vektools::BuildImageInMemory(recipe, &image.disk, &image.manifest, &error, options)) {
        ADD_FAILURE() << "building " << recipe.scenario << " v" << recipe.disk.version << ": " << error;
        image.disk = std::make_shared<platform::MemDisk>(1024 * 1024);
    }
    return image;
}

// The image of `recipe`, built once per process for its scenario name and
// version, and shared: Clone() the disk before changing it.
inline const BuiltImage& Built(const vektools::ImageSpec& recipe) {
    static std::map<std::pair<std::string, int>, BuiltImage> images;
    const auto key = std::make_pair(recipe.scenario, recipe.disk.version);
    auto it = images.find(key);
    if (it == images.end())
        it = images.emplace(key, MakeImage(recipe)).first;
    return it->second;
}

// A catalogue scenario's image, built once per process and shared.
inline const BuiltImage& BuiltScenario(const std::string& name,
                                       int version,
                                       const std::string& variant = "") {
    static std::map<std::tuple<std::string, std::string, int>, BuiltImage> images;
    const auto key = std::make_tuple(name, variant, version);
    auto it = images.find(key);
    if (it == images.end())
        it = images.emplace(key, MakeImage(ScenarioRecipe(name, version, variant))).first;
    return it->second;
}

}  // namespace vektest
