// libFuzzer target: mutated skin INI text through the schema parser, then
// look-ups, typed getters and the part-drawing decisions over whatever it
// stored. The input is the INI text itself (lines end at LF or CR); its last
// bytes also pick the classes, parts and states asked for. Any crash,
// sanitizer report or hang is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/core/metrics_core.h"
#include "skin/core/schema_store.h"
#include "skin/core/theme_class_core.h"
#include "tests/common/fuzz_input.h"

namespace {

class BytesLines : public plym::LineSource {
  public:
    BytesLines(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool ReadLine(std::string* line) override {
        if (at_ >= size_)
            return false;
        line->clear();
        while (at_ < size_ && data_[at_] != '\n' && data_[at_] != '\r')
            line->push_back(static_cast<char>(data_[at_++]));
        ++at_;
        return true;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

class NullGdi : public plym::MetricsGdi {
  public:
    uintptr_t CreateSolidBrush(plym::Color) override { return ++objects; }
    uintptr_t CreateFontObject(const plym::LogFont& font) override {
        vektest::FuzzCheck(font.faceName[31] == '\0');
        return ++objects;
    }
    void DeleteGdiObject(uintptr_t object) override { vektest::FuzzCheck(object != 0 && object <= objects); }
    uintptr_t objects = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plym::SchemaStore store;
    BytesLines lines(data, size);
    store.ReadProperties(lines);

    const plym::ImageInfoFn images = [](const std::string& path, plym::ImageInfo* info) {
        // Every image exists, sized by its name, sometimes empty.
        const int side = static_cast<int>(path.size() % 7) * 13;
        *info = {side * 3, side, path.size() % 2 == 1};
        return !path.empty();
    };
    vektest::FuzzInput pick(data + (size > 64 ? size - 64 : 0), size > 64 ? 64 : size);
    for (int round = 0; round < 8 && !pick.Empty(); ++round) {
        const int classCode = static_cast<int>(pick.U8() % 32);
        const int part = static_cast<int>(pick.U8() % 40);
        const int state = static_cast<int>(pick.U8() % 24) - 2;
        const int id = static_cast<int>(pick.U16() % 5100);
        int number = 0;
        bool flag = false;
        plym::Color color = 0;
        plym::LogFont font;
        store.GetIntProperty(classCode, part, state, id, &number);
        store.GetBoolProperty(classCode, part, state, id, &flag);
        store.GetColorProperty(classCode, part, state, id, &color);
        if (store.GetFontProperty(classCode, part, state, id, &font) == plym::kResultOk)
            vektest::FuzzCheck(font.faceName[31] == '\0');

        plym::ThemeClassCore theme(&store, "FUZZ", classCode);
        const plym::Rect target{-5, 3, 40, 33};
        const plym::BackgroundPlan plan = theme.PlanBackground(part, state, target, images);
        if (plan.kind == plym::BackgroundPlan::kImage)
            vektest::FuzzCheck(plan.image.source.left >= 0 && plan.image.imageCount >= 1);
        theme.PlanBorderFill(part, state, target);
        plym::Size partSize;
        theme.GetThemePartSize(part, state, &target, 2, &partSize, images);
        theme.GetCaptionButtonSize(state + 20, images);
    }

    NullGdi gdi;
    plym::MetricsCore metrics(&gdi);
    metrics.Refresh(
        &store, [] { return plym::SystemMetricsValues{}; }, false);
    return 0;
}
