#pragma once
// The encoder interface on libmp3lame.

#include "EncoderApi.h"

class LameEncoderApi final : public BeEncoderApi {
public:
    QString LibraryName() const override;
    bool Load() override;
    bool HasRequiredEntryPoints() const override;
    std::uint32_t InitStream(const BeConfig& config, std::uint32_t* chunkSamples, std::uint32_t* bufferBytes,
                             std::unique_ptr<BeStream>* stream) override;
    std::uint32_t EncodeChunkFloatS16NI(BeStream& stream, std::uint32_t samplesPerChannel, const float* left,
                                        const float* right, unsigned char* output,
                                        std::uint32_t* outputBytes) override;
    std::uint32_t DeinitStream(BeStream& stream, unsigned char* output, std::uint32_t* outputBytes) override;
    std::uint32_t WriteInfoTag(BeStream& stream, std::FILE* file) override;
};
