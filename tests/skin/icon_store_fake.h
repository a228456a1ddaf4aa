// tests/skin/icon_store_fake.h
//
// An icon store without GDI behind it, for the stream's tests and fuzz
// target: each image keeps the bitmap records it was given, and what it was
// loaded at.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "skin/core/icon_store_stream.h"

namespace vektest {

struct FakeIconImage {
    plym::DibRecord first;
    plym::DibRecord second;
    int32_t loadedVersion = 0;  // 0: never loaded
    bool operator==(const FakeIconImage& other) const {
        return first == other.first && second == other.second;
    }
};

class FakeIcon : public CPlymSerializable, public plym::IconImageCodec {
  public:
    int32_t height = plym::kLoadedIconHeight;
    FakeIconImage images[8];

    void Serialize(CArchive& ar) override { plym::SerializeIconRecord(ar, height, *this); }
    void SaveImage(int index, plym::DibRecord& first, plym::DibRecord& second) override {
        first = images[index].first;
        second = images[index].second;
    }
    void RestoreImage(int index,
                      const plym::DibRecord* first,
                      const plym::DibRecord* second,
                      int32_t version) override {
        images[index].first = first != nullptr ? *first : plym::DibRecord{};
        images[index].second = second != nullptr ? *second : plym::DibRecord{};
        images[index].loadedVersion = version;
    }
    bool operator==(const FakeIcon& other) const {
        for (int i = 0; i < 8; ++i) {
            if (!(images[i] == other.images[i]))
                return false;
        }
        return height == other.height;
    }
};

class FakeIconStore : public plym::IconStoreModel {
  public:
    std::map<uint32_t, std::map<uint32_t, std::unique_ptr<FakeIcon>>> sets;
    uint32_t highestCommandId = plym::kFirstHighestCommandId;

    FakeIcon& Add(uint32_t id, uint32_t width) {
        auto& icon = sets[id][width];
        icon = std::make_unique<FakeIcon>();
        return *icon;
    }

    std::vector<uint32_t> GetSetIds() const override {
        std::vector<uint32_t> ids;
        for (const auto& [id, set] : sets)
            ids.push_back(id);
        return ids;
    }
    std::vector<uint32_t> GetIconWidths(uint32_t id) const override {
        std::vector<uint32_t> widths;
        if (auto it = sets.find(id); it != sets.end()) {
            for (const auto& [width, icon] : it->second)
                widths.push_back(width);
        }
        return widths;
    }
    CPlymSerializable* FindIcon(uint32_t id, uint32_t width) override { return sets.at(id).at(width).get(); }
    void RemoveAll() override { sets.clear(); }
    void NoteCommandId(uint32_t id) override {
        if (id > highestCommandId)
            highestCommandId = id;
    }
    void BeginSet(uint32_t id) override { sets[id].clear(); }
    void RestoreIcon(uint32_t id,
                     uint32_t width,
                     const std::function<void(CPlymSerializable&)>& load) override {
        auto icon = std::make_unique<FakeIcon>();
        load(*icon);
        sets[id][width] = std::move(icon);
    }

    bool operator==(const FakeIconStore& other) const {
        if (sets.size() != other.sets.size())
            return false;
        for (const auto& [id, set] : sets) {
            auto it = other.sets.find(id);
            if (it == other.sets.end() || it->second.size() != set.size())
                return false;
            for (const auto& [width, icon] : set) {
                auto match = it->second.find(width);
                if (match == it->second.end() || !(*icon == *match->second))
                    return false;
            }
        }
        return true;
    }
};

// Writes the store into bytes, and loads bytes into it (exceptions pass).
inline std::vector<uint8_t> StoreIcons(FakeIconStore& store) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    CPlymPropExchangeArchive px(ar);
    plym::ExchangeIconSets(px, store);
    return file.GetBytes();
}

inline void LoadIcons(FakeIconStore& store, const std::vector<uint8_t>& bytes) {
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    CPlymPropExchangeArchive px(ar);
    plym::ExchangeIconSets(px, store);
}

}  // namespace vektest
