#include "support/pngfile.h"

#include <wincodec.h>

namespace {
// Holds one reference to a COM object, given back when it goes.
template <class T>
class TComRef {
public:
  TComRef() = default;
  ~TComRef() { Reset(); }
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  T* operator->() const { return FObject; }
  T* Get() const { return FObject; }
  // Where a creating call puts the new object.
  T** Out() {
    Reset();
    return &FObject;
  }

private:
  void Reset() {
    if (FObject) { FObject->Release(); }
    FObject = nullptr;
  }
  T* FObject = nullptr;
};

// COM for the codecs' calls; a thread that is in an apartment already keeps
// it, and the codecs work in either kind.
class TComUse {
public:
  TComUse() : FResult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~TComUse() {
    if (SUCCEEDED(FResult)) { CoUninitialize(); }
  }
  TComUse(const TComUse&) = delete;
  TComUse& operator=(const TComUse&) = delete;

private:
  HRESULT FResult;
};

std::wstring Wide(const std::string& Text) {
  std::wstring Result(Text.size(), L'\0');
  Result.resize(MultiByteToWideChar(CP_ACP, 0, Text.data(), int(Text.size()), Result.data(), int(Result.size())));
  return Result;
}

bool MakeFactory(TComRef<IWICImagingFactory>& Factory) {
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(Factory.Out())));
}

// Written as 24-bit RGB: a screen has nothing to show through.
bool Encode(const std::wstring& FileName, const TPixels& Picture) {
  TComRef<IWICImagingFactory> Factory;
  TComRef<IWICBitmap> Source;
  TComRef<IWICStream> Stream;
  TComRef<IWICBitmapEncoder> Encoder;
  TComRef<IWICBitmapFrameEncode> Frame;
  WICPixelFormatGUID Format = GUID_WICPixelFormat24bppBGR;
  return MakeFactory(Factory) &&
         SUCCEEDED(Factory->CreateBitmapFromMemory(Picture.Width, Picture.Height, GUID_WICPixelFormat32bppBGR,
                                                   Picture.Width * 4, UINT(Picture.Bgra.size()),
                                                   const_cast<BYTE*>(Picture.Bgra.data()), Source.Out())) &&
         SUCCEEDED(Factory->CreateStream(Stream.Out())) &&
         SUCCEEDED(Stream->InitializeFromFilename(FileName.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(Factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, Encoder.Out())) &&
         SUCCEEDED(Encoder->Initialize(Stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(Encoder->CreateNewFrame(Frame.Out(), nullptr)) && SUCCEEDED(Frame->Initialize(nullptr)) &&
         SUCCEEDED(Frame->SetSize(Picture.Width, Picture.Height)) && SUCCEEDED(Frame->SetPixelFormat(&Format)) &&
         SUCCEEDED(Frame->WriteSource(Source.Get(), nullptr)) && SUCCEEDED(Frame->Commit()) &&
         SUCCEEDED(Encoder->Commit());
}

bool Decode(const std::wstring& FileName, TPixels& Picture) {
  TComRef<IWICImagingFactory> Factory;
  TComRef<IWICBitmapDecoder> Decoder;
  TComRef<IWICBitmapFrameDecode> Frame;
  TComRef<IWICFormatConverter> Converter;
  if (!MakeFactory(Factory) ||
      FAILED(Factory->CreateDecoderFromFilename(FileName.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, Decoder.Out())) ||
      FAILED(Decoder->GetFrame(0, Frame.Out())) || FAILED(Factory->CreateFormatConverter(Converter.Out())) ||
      FAILED(Converter->Initialize(Frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                   0, WICBitmapPaletteTypeCustom)) ||
      FAILED(Converter->GetSize(&Picture.Width, &Picture.Height))) {
    return false;
  }
  Picture.Bgra.resize(size_t(Picture.Width) * Picture.Height * 4);
  return SUCCEEDED(
      Converter->CopyPixels(nullptr, Picture.Width * 4, UINT(Picture.Bgra.size()), Picture.Bgra.data()));
}
}  // namespace

bool WritePng(const std::string& FileName, const TPixels& Picture) {
  if (Picture.Bgra.size() != size_t(Picture.Width) * Picture.Height * 4 || Picture.Bgra.empty()) { return false; }
  const std::wstring Name = Wide(FileName);
  bool Written;
  {
    TComUse Com;
    Written = Encode(Name, Picture);
  }
  // A half-written file is no picture.
  if (!Written) { DeleteFileW(Name.c_str()); }
  return Written;
}

TPixels ReadPng(const std::string& FileName) {
  TComUse Com;
  TPixels Picture;
  if (!Decode(Wide(FileName), Picture)) { Picture = TPixels(); }
  return Picture;
}
