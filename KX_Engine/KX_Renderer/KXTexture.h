// A texture: an image loaded by name (or made from pixels) together with its pixels in memory.
//
// Textures are made by the renderer (IKXRenderer::LoadTexture, CreateTexture) and shared through
// std::shared_ptr: the layers of many windows hold the same image. A texture may outlive its
// renderer; it then keeps its pixels but draws nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace KXRenderer {

class CKXTexture {
public:
    CKXTexture(std::string strName, int nWidth, int nHeight, std::vector<uint32_t> vecPixels)
        : m_strName(std::move(strName)), m_nWidth(nWidth), m_nHeight(nHeight), m_vecPixels(std::move(vecPixels)) {}
    CKXTexture(const CKXTexture&) = delete;
    CKXTexture& operator=(const CKXTexture&) = delete;
    ~CKXTexture() = default;

    // The name it was loaded by ("" for textures made from pixels).
    const std::string& GetName() const { return m_strName; }
    // Size in texels.
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

    // Read-only pixels for shape masks: width x height values 0xAARRGGBB, rows top to bottom, no
    // padding. Valid as long as the texture lives. Never null for a texture the renderer returned.
    const uint32_t* LockPixels() const { return m_vecPixels.empty() ? nullptr : m_vecPixels.data(); }
    // One pixel, 0 outside the image.
    uint32_t GetPixel(int nX, int nY) const {
        if (nX < 0 || nY < 0 || nX >= m_nWidth || nY >= m_nHeight) return 0;
        return m_vecPixels[static_cast<size_t>(nY) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(nX)];
    }

    // Writable pixels for the one producer that fills a texture after creation (the glyph cache);
    // call Touch afterwards so that the renderer uploads the change before the next draw.
    uint32_t* MutablePixels() { return m_vecPixels.empty() ? nullptr : m_vecPixels.data(); }
    void Touch() { ++m_uVersion; }
    // Grows with every Touch; the renderer compares it with the version it last uploaded.
    uint64_t GetVersion() const { return m_uVersion; }
    uint64_t GetDeviceVersion() const { return m_uDeviceVersion; }
    void SetDeviceVersion(uint64_t uVersion) const { m_uDeviceVersion = uVersion; }

    // The renderer's device object (an SDL_Texture for the SDL renderer) and the serial number of the
    // renderer generation that made it. Only that renderer uses it; a texture drawn by another renderer,
    // or after ReleaseDeviceObjects, is uploaded again from its pixels. The object's deleter frees the
    // device object while its renderer is alive.
    void* GetDeviceHandle() const { return m_pDevice.get(); }
    uint64_t GetDeviceSerial() const { return m_uDeviceSerial; }
    void SetDeviceObject(std::shared_ptr<void> pDevice, uint64_t uSerial) const {
        m_pDevice = std::move(pDevice);
        m_uDeviceSerial = uSerial;
    }

private:
    std::string m_strName;
    int m_nWidth;
    int m_nHeight;
    std::vector<uint32_t> m_vecPixels;
    // The device copy is a cache of the pixels, so drawing a const texture may (re)make it.
    mutable std::shared_ptr<void> m_pDevice;
    mutable uint64_t m_uDeviceSerial = 0;
    uint64_t m_uVersion = 0;
    mutable uint64_t m_uDeviceVersion = 0;
};

}  // namespace KXRenderer
