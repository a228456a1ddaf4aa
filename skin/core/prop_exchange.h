// skin/core/prop_exchange.h
//
// The property exchange: one routine per object names its properties and
// their types, and the same routine stores or loads them depending on the
// direction of the exchange.
//
//   CPlymPropExchange            the abstract exchange
//   CPlymPropExchangeArchive     the exchange over an archive (winlib/archive.h):
//                                binary, property and section names are not
//                                written
//   CPlymPropExchangeEnumerator  a repeated list of items inside an exchange
//
// Value types are the automation variant numbers plus 100 (rectangle) and 101
// (point or size). Their forms in an archive, all little endian:
//
//   2  int16_t         16 bits            17  uint8_t          8 bits
//   3  int32_t         32 bits            30  CString          the archive's string form
//   4  float           32-bit float      100  plym::Rect       left, top, right, bottom
//   5  double          64-bit float      101  plym::Point      x, y (a size: cx, cy)
//   6  PropCurrency    low, high 32-bit words
//   7  PropDateTime    the 64-bit float value, then the 32-bit status
//   11 int32_t (BOOL)  32 bits
//   12 PropVariant     its 16-bit type, then its value in that type's form
//                      (nothing for types without a form, and for a variant)
//
// Other type numbers are accepted and exchange nothing. An archive read error
// (data that ends early, a length longer than what remains) is thrown as
// CArchiveException to the caller. Portable; GUI thread only.
// Deliberately not done: the flags this program never sets (serialise-only,
// allow defaults, exchange names): every archive value is always present.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/core/plym_types.h"
#include "winlib/archive.h"
#include "winlib/cstring.h"

namespace plym {

inline constexpr int kPropShort = 2;
inline constexpr int kPropLong = 3;
inline constexpr int kPropFloat = 4;
inline constexpr int kPropDouble = 5;
inline constexpr int kPropCurrency = 6;
inline constexpr int kPropDate = 7;
inline constexpr int kPropBool = 11;
inline constexpr int kPropVariant = 12;
inline constexpr int kPropByte = 17;
inline constexpr int kPropString = 30;
inline constexpr int kPropRect = 100;
inline constexpr int kPropPointSize = 101;

struct PropCurrency {
    int64_t value = 0;  // ten-thousandths
    bool operator==(const PropCurrency&) const = default;
};

struct PropDateTime {
    double value = 0;  // days since 30 December 1899
    int32_t status = 0;
    bool operator==(const PropDateTime&) const = default;
};

// A variant holding one value of the types above (the member of its type).
struct PropVariant {
    uint16_t type = 0;  // 0 empty
    int16_t shortValue = 0;
    int32_t longValue = 0;  // also the boolean
    float floatValue = 0;
    double doubleValue = 0;
    PropCurrency currency;
    PropDateTime date;
    uint8_t byteValue = 0;
    CString text;
};

}  // namespace plym

// An object that writes and reads itself through an archive.
class CPlymSerializable {
  public:
    virtual void Serialize(CArchive& ar) = 0;

    virtual ~CPlymSerializable() = default;
};

class CPlymPropExchangeEnumerator;

class CPlymPropExchange {
  public:
    CPlymPropExchange(const CPlymPropExchange&) = delete;
    CPlymPropExchange& operator=(const CPlymPropExchange&) = delete;
    virtual ~CPlymPropExchange() = default;

    bool IsLoading() const { return m_bLoading; }
    bool IsStoring() const { return !m_bLoading; }
    uint32_t GetSchema() const { return m_nSchema; }
    void UseDefaultOnLoad(bool use) { m_bUseDefaultOnLoad = use; }
    bool IsUsingDefaultOnLoad() const { return m_bUseDefaultOnLoad; }

    // The general entry: `value` points at the type's value (table above);
    // `defaultValue`, of the same type, may be NULL.
    virtual bool ExchangeProp(const char* name, int type, void* value, const void* defaultValue) = 0;

    // Storing writes *size (32 bits) and the bytes at *buffer. Loading reads
    // the size: a NULL *buffer receives a new buffer (the caller std::free()s
    // it); a given buffer smaller than the stored size (*size on entry) is
    // refused, FALSE, and the stored bytes are passed over. *size becomes the
    // stored size when the bytes were read.
    virtual bool ExchangeBlob(const char* name, void** buffer, uint32_t* size) = 0;

    // An object of a runtime class: its class name as the property "Class",
    // then its own properties (Object::DoPropExchange). Loading looks the
    // class up by name (Class::FromName), which must derive from `expected`,
    // and creates a new instance; an unknown class or one that does not
    // derive gives FALSE and a NULL *object. Storing a NULL object writes an
    // empty name and gives FALSE.
    template <class Object, class Class>
    bool ExchangeObject(const char* name, Object** object, const Class* expected);

    // An object that serialises itself. Here: through a memory file (growth
    // 4096 bytes) whose bytes are exchanged as one blob; the archive form
    // writes the object straight into its archive instead.
    virtual bool ExchangeSerializable(const char* name, CPlymSerializable* object);

    // The sub-exchange named `name`.
    virtual std::unique_ptr<CPlymPropExchange> GetSection(const char* name) = 0;
    // A list of items in sub-sections named "<section><i>" (i from 0).
    std::unique_ptr<CPlymPropExchangeEnumerator> GetEnumerator(const char* section);

    // The property "Schema" (32 bits, default 32): the version of the data.
    void ExchangeSchema();

    // The item count of a list: the property "Count" (a negative count
    // loads as 0); `compact` lets an archive use its own count form instead.
    // Storing returns `count`, loading the count read.
    virtual uint32_t ExchangeCount(uint32_t count, bool compact);

    // The archive beneath, for nested serialisation; NULL when none.
    virtual CArchive* GetArchive() { return nullptr; }

  protected:
    explicit CPlymPropExchange(bool loading) : m_bLoading(loading) {}
    void CopyStateFrom(const CPlymPropExchange& parent) {
        m_bUseDefaultOnLoad = parent.m_bUseDefaultOnLoad;
        m_nSchema = parent.m_nSchema;
    }

  private:
    bool m_bLoading;
    bool m_bUseDefaultOnLoad = false;
    uint32_t m_nSchema = 32;
};

class CPlymPropExchangeArchive : public CPlymPropExchange {
  public:
    // The archive stays the caller's; its direction is the exchange's.
    explicit CPlymPropExchangeArchive(CArchive& ar) : CPlymPropExchange(ar.IsLoading()), m_ar(ar) {}

    bool ExchangeProp(const char* name, int type, void* value, const void* defaultValue) override;
    bool ExchangeBlob(const char* name, void** buffer, uint32_t* size) override;
    bool ExchangeSerializable(const char* name, CPlymSerializable* object) override;
    std::unique_ptr<CPlymPropExchange> GetSection(const char* name) override;
    uint32_t ExchangeCount(uint32_t count, bool compact) override;
    CArchive* GetArchive() override { return &m_ar; }

  private:
    template <class T>
    void Exchange(T& value) {
        if (IsStoring())
            m_ar << value;
        else
            m_ar >> value;
    }

    CArchive& m_ar;
};

class CPlymPropExchangeEnumerator {
  public:
    CPlymPropExchangeEnumerator(CPlymPropExchange* owner, const char* section)
        : m_pOwner(owner), m_strSection(section) {}

    // Exchanges the item count (ExchangeCount) and starts at item 0: storing
    // `count`, loading the count read, which it returns.
    uint32_t Start(uint32_t count, bool compact);
    bool HasNext() const { return m_nIndex < m_nCount; }
    // The sub-exchange of the next item.
    std::unique_ptr<CPlymPropExchange> GetNext();

  private:
    CPlymPropExchange* m_pOwner;
    CString m_strSection;
    uint32_t m_nCount = 0;
    uint32_t m_nIndex = 0;
};

// Typed helpers.
bool PX_Long(CPlymPropExchange* px, const char* name, int32_t& value, int32_t defaultValue);
bool PX_String(CPlymPropExchange* px, const char* name, CString& value);
bool PX_String(CPlymPropExchange* px, const char* name, CString& value, const char* defaultValue);

template <class Object, class Class>
bool CPlymPropExchange::ExchangeObject(const char* name, Object** object, const Class* expected) {
    std::unique_ptr<CPlymPropExchange> section = GetSection(name);
    CString className;
    if (IsStoring() && *object != nullptr)
        className = (*object)->GetRuntimeClass()->m_lpszClassName;
    PX_String(section.get(), "Class", className);
    if (IsLoading()) {
        *object = nullptr;
        const Class* found = className.IsEmpty() ? nullptr : Class::FromName(className);
        if (found == nullptr || !found->IsDerivedFrom(expected))
            return false;
        auto* created = found->CreateObject();
        *object = dynamic_cast<Object*>(created);
        if (*object == nullptr) {
            delete created;
            return false;
        }
    }
    if (*object == nullptr)
        return false;
    (*object)->DoPropExchange(section.get());
    return true;
}
