// skin/core/prop_exchange.cpp
#include "skin/core/prop_exchange.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "winlib/mem_file.h"

namespace {

// The member of `variant` that holds a value of `type`; NULL for the types
// without one (empty, null, a variant in a variant, and any other).
void* VariantValue(plym::PropVariant& variant, int type) {
    switch (type) {
        case plym::kPropShort:
            return &variant.shortValue;
        case plym::kPropLong:
        case plym::kPropBool:
            return &variant.longValue;
        case plym::kPropFloat:
            return &variant.floatValue;
        case plym::kPropDouble:
            return &variant.doubleValue;
        case plym::kPropCurrency:
            return &variant.currency;
        case plym::kPropDate:
            return &variant.date;
        case plym::kPropByte:
            return &variant.byteValue;
        case plym::kPropString:
            return &variant.text;
        default:
            return nullptr;
    }
}

}  // namespace

// ---- the abstract exchange --------------------------------------------------------------

bool CPlymPropExchange::ExchangeSerializable(const char* name, CPlymSerializable* object) {
    if (object == nullptr)
        return false;
    if (IsStoring()) {
        CMemFile memory(4096);
        {
            CArchive ar(&memory, CArchive::store);
            object->Serialize(ar);
        }
        std::vector<uint8_t> bytes = memory.GetBytes();
        void* buffer = bytes.data();
        uint32_t size = static_cast<uint32_t>(bytes.size());
        return ExchangeBlob(name, &buffer, &size);
    }
    void* buffer = nullptr;
    uint32_t size = 0;
    if (!ExchangeBlob(name, &buffer, &size))
        return false;
    CMemFile memory(static_cast<const uint8_t*>(buffer), size, 4096);
    std::free(buffer);
    CArchive ar(&memory, CArchive::load);
    object->Serialize(ar);
    return true;
}

std::unique_ptr<CPlymPropExchangeEnumerator> CPlymPropExchange::GetEnumerator(const char* section) {
    return std::make_unique<CPlymPropExchangeEnumerator>(this, section);
}

void CPlymPropExchange::ExchangeSchema() {
    int32_t schema = static_cast<int32_t>(m_nSchema);
    PX_Long(this, "Schema", schema, 32);
    m_nSchema = static_cast<uint32_t>(schema);
}

uint32_t CPlymPropExchange::ExchangeCount(uint32_t count, bool /*compact*/) {
    int32_t value = static_cast<int32_t>(count);
    ExchangeProp("Count", plym::kPropLong, &value, nullptr);
    if (IsStoring())
        return count;
    return value > 0 ? static_cast<uint32_t>(value) : 0;
}

// ---- over an archive ----------------------------------------------------------------------

bool CPlymPropExchangeArchive::ExchangeProp(const char* name, int type, void* value, const void*) {
    if (value == nullptr)
        return false;
    switch (type) {
        case plym::kPropShort:
            Exchange(*static_cast<int16_t*>(value));
            break;
        case plym::kPropLong:
        case plym::kPropBool:
            Exchange(*static_cast<int32_t*>(value));
            break;
        case plym::kPropFloat:
            Exchange(*static_cast<float*>(value));
            break;
        case plym::kPropDouble:
            Exchange(*static_cast<double*>(value));
            break;
        case plym::kPropCurrency: {
            auto& currency = *static_cast<plym::PropCurrency*>(value);
            uint32_t low = static_cast<uint32_t>(static_cast<uint64_t>(currency.value));
            uint32_t high = static_cast<uint32_t>(static_cast<uint64_t>(currency.value) >> 32);
            Exchange(low);
            Exchange(high);
            currency.value = static_cast<int64_t>(uint64_t{high} << 32 | low);
            break;
        }
        case plym::kPropDate: {
            auto& date = *static_cast<plym::PropDateTime*>(value);
            Exchange(date.value);
            Exchange(date.status);
            break;
        }
        case plym::kPropVariant: {
            auto& variant = *static_cast<plym::PropVariant*>(value);
            Exchange(variant.type);
            if (void* inner = VariantValue(variant, variant.type))
                ExchangeProp(name, variant.type, inner, nullptr);
            break;
        }
        case plym::kPropByte:
            Exchange(*static_cast<uint8_t*>(value));
            break;
        case plym::kPropString:
            Exchange(*static_cast<CString*>(value));
            break;
        case plym::kPropRect: {
            auto& rect = *static_cast<plym::Rect*>(value);
            Exchange(rect.left);
            Exchange(rect.top);
            Exchange(rect.right);
            Exchange(rect.bottom);
            break;
        }
        case plym::kPropPointSize: {
            auto& point = *static_cast<plym::Point*>(value);
            Exchange(point.x);
            Exchange(point.y);
            break;
        }
        default:
            break;
    }
    return true;
}

bool CPlymPropExchangeArchive::ExchangeBlob(const char*, void** buffer, uint32_t* size) {
    if (buffer == nullptr || size == nullptr)
        return false;
    if (IsStoring()) {
        m_ar << *size;
        if (*size > 0)
            m_ar.Write(*buffer, *size);
        return true;
    }
    uint32_t stored = 0;
    m_ar >> stored;
    m_ar.CheckRemaining(stored);
    if (*buffer != nullptr && stored > *size) {
        m_ar.Skip(stored);  // refused, but the stream stays in step
        return false;
    }
    if (*buffer == nullptr) {
        *buffer = std::malloc(stored > 0 ? stored : 1);
        if (*buffer == nullptr) {
            m_ar.Skip(stored);
            return false;
        }
    }
    m_ar.ReadExact(*buffer, stored);
    *size = stored;
    return true;
}

bool CPlymPropExchangeArchive::ExchangeSerializable(const char*, CPlymSerializable* object) {
    if (object == nullptr)
        return false;
    object->Serialize(m_ar);
    return true;
}

std::unique_ptr<CPlymPropExchange> CPlymPropExchangeArchive::GetSection(const char*) {
    auto section = std::make_unique<CPlymPropExchangeArchive>(m_ar);
    section->CopyStateFrom(*this);
    return section;
}

uint32_t CPlymPropExchangeArchive::ExchangeCount(uint32_t count, bool compact) {
    if (!compact)
        return CPlymPropExchange::ExchangeCount(count, compact);
    if (IsStoring()) {
        m_ar.WriteCount(count);
        return count;
    }
    return m_ar.ReadCount();
}

// ---- lists --------------------------------------------------------------------------------

uint32_t CPlymPropExchangeEnumerator::Start(uint32_t count, bool compact) {
    m_nCount = m_pOwner->ExchangeCount(count, compact);
    m_nIndex = 0;
    return m_nCount;
}

std::unique_ptr<CPlymPropExchange> CPlymPropExchangeEnumerator::GetNext() {
    if (!HasNext())
        return nullptr;
    CString name;
    name.Format("%s%u", m_strSection.GetString(), m_nIndex++);
    return m_pOwner->GetSection(name);
}

// ---- typed helpers ------------------------------------------------------------------------

bool PX_Long(CPlymPropExchange* px, const char* name, int32_t& value, int32_t defaultValue) {
    return px->ExchangeProp(name, plym::kPropLong, &value, &defaultValue);
}

bool PX_String(CPlymPropExchange* px, const char* name, CString& value) {
    return px->ExchangeProp(name, plym::kPropString, &value, nullptr);
}

bool PX_String(CPlymPropExchange* px, const char* name, CString& value, const char* defaultValue) {
    const CString fallback(defaultValue);
    return px->ExchangeProp(name, plym::kPropString, &value, &fallback);
}
