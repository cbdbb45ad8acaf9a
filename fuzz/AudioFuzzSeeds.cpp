// Writes the starting corpus of the audio reader's fuzz target: a short tone in every container
// and encoding libsndfile can write here, so that mutation starts from real headers. A format
// this libsndfile cannot write is left out.
//
// AudioFuzzSeeds <folder>

#include "SoundFixtures.hpp"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    struct Seed {
        const char* name;
        int format;
        int channels;
        int rate;
    };
    const Seed seeds[] = {
        {"pcm8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000},
        {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000},
        {"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 8000},
        {"pcm32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 8000},
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 8000},
        {"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, 8000},
        {"six.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, 8000},
        {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, 8000},
        {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, 8000},
        {"msadpcm.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 2, 8000},
        {"gsm.wav", SF_FORMAT_WAV | SF_FORMAT_GSM610, 1, 8000},
        {"pcm16.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 2, 8000},
        {"pcm16.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 1, 8000},
        {"pcms8.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 2, 8000},
        {"pcm16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 8000},
        {"alaw.au", SF_FORMAT_AU | SF_FORMAT_ALAW, 1, 8000},
        {"pcm16.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 2, 8000},
        {"pcm16.voc", SF_FORMAT_VOC | SF_FORMAT_PCM_16, 1, 8000},
        {"pcm16.nist", SF_FORMAT_NIST | SF_FORMAT_PCM_16, 1, 8000},
        {"pcm16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 8000},
        {"pcm24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 8000},
        {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 8000},
        {"opus.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 1, 8000},
        {"layer3.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1, 8000},
    };
    const std::string folder = argv[1];
    int written = 0;
    for (const Seed& seed : seeds) {
        try {
            fixtures::WriteTone(folder + "/seed-" + seed.name, 0.05, seed.format, seed.channels,
                                seed.rate);
            ++written;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s left out: %s\n", seed.name, e.what());
        }
    }
    std::printf("%d seeds written\n", written);
    return 0;
}
