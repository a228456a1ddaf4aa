// tests/skin/prop_exchange_test.cpp
//
// The property exchange over an archive: the form of each value type, lists
// in both count forms, objects found by class name, and blobs from hostile
// bytes (a refused blob is passed over; a size longer than the data ends the
// load).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "skin/core/color_table.h"
#include "skin/core/prop_exchange.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <class Exchange>
Bytes Stored(Exchange exchange) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    CPlymPropExchangeArchive px(ar);
    exchange(px);
    return file.GetBytes();
}

template <class Exchange>
void Loaded(const Bytes& bytes, Exchange exchange) {
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    CPlymPropExchangeArchive px(ar);
    exchange(px);
    EXPECT_EQ(ar.GetRemaining(), 0u) << "bytes left over";
}

// Stores `value` as `type`, checks the bytes, loads them back into a fresh value.
template <class T, class Equal>
void ExpectForm(int type, T value, const Bytes& expected, Equal equal) {
    const Bytes bytes =
        Stored([&](CPlymPropExchange& px) { px.ExchangeProp("Value", type, &value, nullptr); });
    EXPECT_EQ(bytes, expected) << "type " << type;
    T back{};
    Loaded(bytes, [&](CPlymPropExchange& px) { px.ExchangeProp("Value", type, &back, nullptr); });
    EXPECT_TRUE(equal(back, value)) << "type " << type;
}

template <class T>
void ExpectForm(int type, T value, const Bytes& expected) {
    ExpectForm(type, value, expected, [](const T& a, const T& b) { return a == b; });
}

TEST(PropExchangeTest, EachTypeHasItsArchiveForm) {
    ExpectForm<int16_t>(plym::kPropShort, -2, {0xFE, 0xFF});
    ExpectForm<int32_t>(plym::kPropLong, 0x01020304, {0x04, 0x03, 0x02, 0x01});
    ExpectForm<float>(plym::kPropFloat, 1.5f, {0x00, 0x00, 0xC0, 0x3F});
    ExpectForm<double>(plym::kPropDouble, -2.0, {0, 0, 0, 0, 0, 0, 0x00, 0xC0});
    ExpectForm(plym::kPropCurrency, plym::PropCurrency{-2}, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    ExpectForm(plym::kPropCurrency, plym::PropCurrency{0x0000000500000003},
               {0x03, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00});
    ExpectForm(plym::kPropDate, plym::PropDateTime{1.0, 2}, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x02, 0, 0, 0});
    ExpectForm<int32_t>(plym::kPropBool, 1, {0x01, 0x00, 0x00, 0x00});
    ExpectForm<uint8_t>(plym::kPropByte, 0xAB, {0xAB});
    ExpectForm(plym::kPropString, CString("Id"), {0x02, 'I', 'd'});
    ExpectForm(plym::kPropRect, plym::Rect{1, -1, 3, 4},
               {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 4, 0, 0, 0});
    ExpectForm(plym::kPropPointSize, plym::Point{5, 6}, {5, 0, 0, 0, 6, 0, 0, 0});

    // A variant: its type, then the value in that type's form; nothing more
    // for a type without one.
    const auto sameVariant = [](const plym::PropVariant& a, const plym::PropVariant& b) {
        return a.type == b.type && a.longValue == b.longValue && a.text == b.text;
    };
    plym::PropVariant number;
    number.type = plym::kPropLong;
    number.longValue = 7;
    ExpectForm(plym::kPropVariant, number, {0x03, 0x00, 0x07, 0x00, 0x00, 0x00}, sameVariant);
    plym::PropVariant text;
    text.type = plym::kPropString;
    text.text = "ab";
    ExpectForm(plym::kPropVariant, text, {0x1E, 0x00, 0x02, 'a', 'b'}, sameVariant);
    plym::PropVariant nested;
    nested.type = plym::kPropVariant;
    ExpectForm(plym::kPropVariant, nested, {0x0C, 0x00}, sameVariant);

    // Types without a form are accepted and exchange nothing.
    for (int type : {0, 1, 8, 9, 13, 99, 102, -1}) {
        int64_t value = 0x1122334455667788;
        EXPECT_TRUE(Stored([&](CPlymPropExchange& px) {
                        EXPECT_TRUE(px.ExchangeProp("Value", type, &value, nullptr));
                    }).empty())
            << type;
    }
}

TEST(PropExchangeTest, ListsCountInBothForms) {
    const struct {
        bool compact;
        uint32_t count;
        Bytes prefix;
    } cases[] = {
        {false, 2, {0x02, 0x00, 0x00, 0x00}},
        {true, 2, {0x02, 0x00}},
        {true, 0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        const Bytes bytes = Stored([&](CPlymPropExchange& px) {
            auto list = px.GetEnumerator("Item");
            list->Start(c.count, c.compact);
            for (int32_t i = 0; list->HasNext(); ++i) {
                auto item = list->GetNext();
                if (i < 2)
                    PX_Long(item.get(), "Value", i, 0);
            }
        });
        const Bytes values = {0, 0, 0, 0, 1, 0, 0, 0};
        Bytes expected = c.prefix;
        expected.insert(expected.end(), values.begin(), values.end());
        EXPECT_EQ(bytes, expected);
        uint32_t items = 0;
        CMemFile file(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        CPlymPropExchangeArchive px(ar);
        auto list = px.GetEnumerator("Item");
        EXPECT_EQ(list->Start(0, c.compact), c.count);
        while (list->HasNext() && items < 3) {
            list->GetNext();
            ++items;
        }
        EXPECT_EQ(items, std::min<uint32_t>(c.count, 3));
    }
}

// Runtime classes for the object exchange: Base <- Shape <- Circle; Other.
struct FakeObject;
struct FakeClass {
    const char* m_lpszClassName;
    const FakeClass* base;
    FakeObject* (*create)();
    static const FakeClass* FromName(const char* name);
    bool IsDerivedFrom(const FakeClass* other) const {
        for (const FakeClass* c = this; c != nullptr; c = c->base) {
            if (c == other)
                return true;
        }
        return false;
    }
    FakeObject* CreateObject() const { return create != nullptr ? create() : nullptr; }
};

struct FakeObject {
    virtual ~FakeObject() = default;
    virtual const FakeClass* GetRuntimeClass() const = 0;
    virtual void DoPropExchange(CPlymPropExchange* px) { PX_Long(px, "Radius", radius, 0); }
    int32_t radius = 0;
};

extern const FakeClass kBase, kShape, kCircle, kOther;
struct Circle : FakeObject {
    const FakeClass* GetRuntimeClass() const override { return &kCircle; }
};
struct Other : FakeObject {
    const FakeClass* GetRuntimeClass() const override { return &kOther; }
};
const FakeClass kBase{"Base", nullptr, nullptr};
const FakeClass kShape{"Shape", &kBase, nullptr};
const FakeClass kCircle{"Circle", &kShape, [] { return static_cast<FakeObject*>(new Circle); }};
const FakeClass kOther{"Other", &kBase, [] { return static_cast<FakeObject*>(new Other); }};

const FakeClass* FakeClass::FromName(const char* name) {
    for (const FakeClass* c : {&kBase, &kShape, &kCircle, &kOther}) {
        if (std::strcmp(c->m_lpszClassName, name) == 0)
            return c;
    }
    return nullptr;
}

TEST(PropExchangeTest, ObjectsAreCreatedByClassNameWhenTheyDeriveFromTheExpectedClass) {
    Circle circle;
    circle.radius = 9;
    FakeObject* stored = &circle;
    const Bytes bytes = Stored([&](CPlymPropExchange& px) { px.ExchangeObject("Shape", &stored, &kShape); });
    EXPECT_EQ(bytes, (Bytes{6, 'C', 'i', 'r', 'c', 'l', 'e', 9, 0, 0, 0}));

    const struct {
        const char* what;
        Bytes bytes;
        const FakeClass* expected;
        const FakeClass* made;
    } cases[] = {
        {"a circle as a shape", bytes, &kShape, &kCircle},
        {"a circle where another class is expected", bytes, &kOther, nullptr},
        {"an unknown class", {3, 'S', 'u', 'n'}, &kBase, nullptr},
        {"a class that cannot be made", {5, 'S', 'h', 'a', 'p', 'e'}, &kBase, nullptr},
        {"no class", {0}, &kBase, nullptr},
    };
    for (const auto& c : cases) {
        FakeObject* loaded = &circle;
        CMemFile file(c.bytes.data(), c.bytes.size());
        CArchive ar(&file, CArchive::load);
        CPlymPropExchangeArchive px(ar);
        EXPECT_EQ(px.ExchangeObject("Shape", &loaded, c.expected), c.made != nullptr) << c.what;
        std::unique_ptr<FakeObject> owned(loaded);
        EXPECT_EQ(loaded != nullptr ? loaded->GetRuntimeClass() : nullptr, c.made) << c.what;
        if (loaded != nullptr) {
            EXPECT_EQ(loaded->radius, 9) << c.what;
        }
    }
}

TEST(PropExchangeTest, ARefusedBlobIsPassedOverAndHostileSizesEndTheLoad) {
    uint8_t five[5] = {1, 2, 3, 4, 5};
    const Bytes bytes = Stored([&](CPlymPropExchange& px) {
        void* buffer = five;
        uint32_t size = sizeof five;
        px.ExchangeBlob("Blob", &buffer, &size);
        int32_t after = 77;
        PX_Long(&px, "After", after, 0);
    });
    EXPECT_EQ(bytes, (Bytes{5, 0, 0, 0, 1, 2, 3, 4, 5, 77, 0, 0, 0}));

    // A buffer of 3 bytes refuses 5; the value after the blob still loads.
    Loaded(bytes, [](CPlymPropExchange& px) {
        uint8_t small[3] = {};
        void* buffer = small;
        uint32_t size = sizeof small;
        EXPECT_FALSE(px.ExchangeBlob("Blob", &buffer, &size));
        EXPECT_EQ(size, 3u);
        int32_t after = 0;
        PX_Long(&px, "After", after, 0);
        EXPECT_EQ(after, 77);
    });
    // No buffer: one is made.
    Loaded(bytes, [](CPlymPropExchange& px) {
        void* buffer = nullptr;
        uint32_t size = 0;
        ASSERT_TRUE(px.ExchangeBlob("Blob", &buffer, &size));
        EXPECT_EQ(Bytes(static_cast<uint8_t*>(buffer), static_cast<uint8_t*>(buffer) + size),
                  (Bytes{1, 2, 3, 4, 5}));
        std::free(buffer);
        int32_t after = 0;
        PX_Long(&px, "After", after, 0);
    });
    // A size of 4 GB over 13 bytes: endOfFile, and no buffer.
    const Bytes hostile = {0xF0, 0xFF, 0xFF, 0xFF, 1, 2, 3};
    CMemFile file(hostile.data(), hostile.size());
    CArchive ar(&file, CArchive::load);
    CPlymPropExchangeArchive px(ar);
    void* buffer = nullptr;
    uint32_t size = 0;
    try {
        px.ExchangeBlob("Blob", &buffer, &size);
        ADD_FAILURE() << "a blob longer than the data loaded";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    EXPECT_EQ(buffer, nullptr);
}

TEST(PropExchangeTest, SerializableObjectsGoStraightIntoTheArchive) {
    // The colour manager's colours and gradients: two 32-bit colours, then
    // the factor as a float.
    plym::ColorGradient gradient;
    gradient.start = {0x8CD5FF, 0x000001};
    gradient.end = {0x55ADFF, plym::kNoColor};
    gradient.factor = 0.5f;
    struct Wrapped : CPlymSerializable {
        plym::ColorGradient* gradient;
        explicit Wrapped(plym::ColorGradient* g) : gradient(g) {}
        void Serialize(CArchive& ar) override { gradient->Serialize(ar); }
    } wrapped(&gradient);
    const Bytes bytes = Stored([&](CPlymPropExchange& px) { px.ExchangeSerializable("Data", &wrapped); });
    EXPECT_EQ(bytes, (Bytes{0xFF, 0xD5, 0x8C, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xAD,
                            0x55, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x3F}));
    plym::ColorGradient back;
    back.factor = 0;
    Wrapped into(&back);
    Loaded(bytes, [&](CPlymPropExchange& px) { px.ExchangeSerializable("Data", &into); });
    EXPECT_EQ(back.start.color, 0x8CD5FFu);
    EXPECT_EQ(back.start.defaultColor, 1u);
    EXPECT_EQ(back.end.color, 0x55ADFFu);
    EXPECT_EQ(back.end.defaultColor, plym::kNoColor);
    EXPECT_EQ(back.factor, 0.5f);
}

}  // namespace
