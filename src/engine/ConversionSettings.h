#pragma once
// The user's conversion choices and the tables their indexes point into.

#include <QString>
#include <array>
#include <cstdint>

// Constant bit rates offered for MP3 output, kbit/s.
inline constexpr std::array<int, 17> kBitrateTable = {8,   16,  24,  32,  40,  48,  56,  64, 80,
                                                      96, 112, 128, 160, 192, 224, 256, 320};
// Output sampling frequencies, Hz; entry 0 means "automatic".
inline constexpr std::array<int, 10> kSampleRateTable = {0,     8000,  11025, 12000, 16000,
                                                         22050, 24000, 32000, 44100, 48000};

enum ChannelMode : std::int16_t {
    CM_AUTOMATIC = 0,
    CM_MONO = 1,
    CM_STEREO = 2,
    CM_JOINT_STEREO = 3,
    CM_DUAL_CHANNEL = 4,
};

inline constexpr std::int16_t kDefaultBitrateIndex = 11; // 128 kbit/s
inline constexpr std::int16_t kOutputFormatMp3 = 2;

struct ConversionSettings {
    std::int32_t sameAsSource = 0;   // 1: each MP3 beside its source, 0: into outputFolder
    QString outputFolder;            // used when sameAsSource is 0
    QString lastFolder;              // folder shown in the tree at the last close
    std::int16_t bitrateIndex = kDefaultBitrateIndex;
    std::int16_t channelMode = CM_AUTOMATIC;
    std::int16_t sampleRateIndex = 0; // 0 automatic, else an index into kSampleRateTable
    std::int16_t outputFormat = kOutputFormatMp3;

    // Bit rate of bitrateIndex; an index outside the table gives the default.
    int BitrateKbps() const
    {
        const bool valid = bitrateIndex >= 0 && bitrateIndex < std::int16_t(kBitrateTable.size());
        return kBitrateTable[valid ? bitrateIndex : kDefaultBitrateIndex];
    }
};
