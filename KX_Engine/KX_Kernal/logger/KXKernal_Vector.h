// A growable array of trivially copyable elements that keeps its storage when emptied.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

// uGrowStep is the smallest number of elements added when the array grows.
template <typename T, uint32_t uGrowStep>
class CKXKernal_Vector {
    static_assert(std::is_trivially_copyable<T>::value, "elements are moved with memcpy");
    static_assert(uGrowStep > 0, "the array must grow");

public:
    CKXKernal_Vector() = default;
    ~CKXKernal_Vector() { std::free(m_pData); }
    CKXKernal_Vector(const CKXKernal_Vector&) = delete;
    CKXKernal_Vector& operator=(const CKXKernal_Vector&) = delete;

    bool Push(const T& value) {
        if (m_uCount == m_uCapacity) {
            uint32_t uNew = m_uCapacity * 2;
            if (uNew < m_uCapacity + uGrowStep) uNew = m_uCapacity + uGrowStep;
            T* pNew = static_cast<T*>(std::realloc(m_pData, sizeof(T) * uNew));
            if (!pNew) return false;
            m_pData = pNew;
            m_uCapacity = uNew;
        }
        m_pData[m_uCount++] = value;
        return true;
    }
    void SetCount(uint32_t uCount) { m_uCount = uCount <= m_uCapacity ? uCount : m_uCapacity; }
    uint32_t Count() const { return m_uCount; }
    T* Data() { return m_pData; }
    T& operator[](uint32_t i) { return m_pData[i]; }

private:
    T* m_pData = nullptr;
    uint32_t m_uCount = 0;
    uint32_t m_uCapacity = 0;
};
