// CDecorateWnd: a frame composed of image pieces ("one", "hor", "ver", "nine") that its parent draws
// as its background; the decorate window itself hides once it has handed the pieces over.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

using ArkTextureList = std::vector<std::shared_ptr<KXRenderer::CKXTexture>>;

class IDecorateWndType {
public:
    virtual ~IDecorateWndType() = default;
    virtual const char* GetType() const = 0;
    // Appends the pieces' quads to the layer; false when a piece is missing.
    virtual bool Build(ArkImageLayer& layer, const ArkTextureList& vecPieces) = 0;
    virtual void SetSize(int nWidth, int nHeight) = 0;
    virtual void SetOffset(int nX, int nY) = 0;
};

class CDecorateWndType : public IDecorateWndType {
public:
    void SetSize(int nWidth, int nHeight) override { m_nWidth = nWidth; m_nHeight = nHeight; }
    void SetOffset(int nX, int nY) override { m_nOffsetX = nX; m_nOffsetY = nY; }

protected:
    // A quad of the whole piece stretched over (x, y)-(right, bottom), relative to the offset.
    void Place(ArkImageLayer& layer, const std::shared_ptr<KXRenderer::CKXTexture>& p, float x, float y, float r, float b) const;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nOffsetX = 0;
    int m_nOffsetY = 0;
};

class CDecorateWndOne : public CDecorateWndType {
public:
    const char* GetType() const override { return "one"; }
    bool Build(ArkImageLayer& layer, const ArkTextureList& vecPieces) override;
};

class CDecorateWndHor : public CDecorateWndType {
public:
    const char* GetType() const override { return "hor"; }
    bool Build(ArkImageLayer& layer, const ArkTextureList& vecPieces) override;
};

class CDecorateWndVer : public CDecorateWndType {
public:
    const char* GetType() const override { return "ver"; }
    bool Build(ArkImageLayer& layer, const ArkTextureList& vecPieces) override;
};

class CDecorateWndNine : public CDecorateWndType {
public:
    const char* GetType() const override { return "nine"; }
    bool Build(ArkImageLayer& layer, const ArkTextureList& vecPieces) override;
};

// The layout for a type name; null for an unknown name.
std::unique_ptr<IDecorateWndType> MakeDecorateWndType(const char* szType);

class CDecorateWnd : public CArkWnd {
public:
    CDecorateWnd();

    const char* GetClassName() const override;
    int Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
               const char* szFontName = nullptr, int nFontSize = 12, intptr_t nUserData = 0) override;

    // Loads the pieces by image name through the renderer and hands them to the parent.
    bool SetDecorate(const char* szType, const std::vector<std::string>& vecImageNames);
    // The same with pieces already loaded.
    bool SetDecorateTextures(const char* szType, const ArkTextureList& vecPieces);
    const IDecorateWndType* GetDecorateType() const { return m_pType.get(); }
    const std::vector<std::string>& GetPieceNames() const { return m_vecPieceNames; }

private:
    std::vector<std::string> m_vecPieceNames;
    KXRenderer::KXRectI m_rcRequested;
    std::unique_ptr<IDecorateWndType> m_pType;
};

}  // namespace ArkGui
