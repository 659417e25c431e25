#pragma once
// The real encoder with one call made to fail, for the error paths of the encoder stage.

#include "engine/LameEncoderApi.h"

class FaultyEncoderApi final : public BeEncoderApi {
public:
    enum class Fail { Nothing, Load, EntryPoints, InitStream, EncodeChunk, DeinitStream };
    explicit FaultyEncoderApi(Fail fail) : m_fail(fail) {}

    QString LibraryName() const override { return m_real.LibraryName(); }
    bool Load() override { return m_fail != Fail::Load && m_real.Load(); }
    bool HasRequiredEntryPoints() const override
    {
        return m_fail != Fail::EntryPoints && m_real.HasRequiredEntryPoints();
    }
    std::uint32_t InitStream(const BeConfig& config, std::uint32_t* chunk, std::uint32_t* bytes,
                             std::unique_ptr<BeStream>* stream) override
    {
        lastConfig = config;
        return m_fail == Fail::InitStream ? BE_ERR_INVALID_FORMAT_PARAMETERS
                                          : m_real.InitStream(config, chunk, bytes, stream);
    }
    std::uint32_t EncodeChunkFloatS16NI(BeStream& stream, std::uint32_t n, const float* l, const float* r,
                                        unsigned char* out, std::uint32_t* bytes) override
    {
        return m_fail == Fail::EncodeChunk ? BE_ERR_BUFFER_TOO_SMALL
                                           : m_real.EncodeChunkFloatS16NI(stream, n, l, r, out, bytes);
    }
    std::uint32_t DeinitStream(BeStream& stream, unsigned char* out, std::uint32_t* bytes) override
    {
        return m_fail == Fail::DeinitStream ? BE_ERR_BUFFER_TOO_SMALL : m_real.DeinitStream(stream, out, bytes);
    }
    std::uint32_t WriteInfoTag(BeStream& stream, std::FILE* file) override
    {
        return m_real.WriteInfoTag(stream, file);
    }

    BeConfig lastConfig; // written by the encoder thread, read after it was joined

private:
    Fail m_fail;
    LameEncoderApi m_real;
};

// Puts an encoder in place for the lifetime of the object.
class ScopedEncoderApi {
public:
    explicit ScopedEncoderApi(BeEncoderApi* api) { SetEncoderApiForTesting(api); }
    ~ScopedEncoderApi() { SetEncoderApiForTesting(nullptr); }
    ScopedEncoderApi(const ScopedEncoderApi&) = delete;
    ScopedEncoderApi& operator=(const ScopedEncoderApi&) = delete;
};
