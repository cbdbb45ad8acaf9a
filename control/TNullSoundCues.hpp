#pragma once

#include "TimerEngine.hpp"

// Sound cues that find no file and so never play; the program runs silent with them.
class TNullSoundCues : public quorvane::ISoundCues {
public:
    bool FileExists(const std::string& /*path*/) const override { return false; }
    void PlayTiming(const std::string& /*path*/) override {}
    void StopTiming() override {}
    void PlayEnd(const std::string& /*path*/, bool /*loop*/) override {}
    void StopEnd() override {}
};
