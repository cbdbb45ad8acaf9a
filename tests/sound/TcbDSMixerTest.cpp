#include "TcbDSMixer.hpp"
#include "TNullAudioOutput.hpp"
#include "TcbSoundDevice.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace quorvane;

namespace {

// The output stays owned by the mixer; the test keeps a view of it.
struct NullRig {
    explicit NullRig(TAudioSpec own = {}, bool takesWanted = true) {
        auto made = std::make_unique<TNullAudioOutput>(own, takesWanted);
        output = made.get();
        mixer = std::make_unique<TcbDSMixer>(nullptr, std::move(made));
    }
    TNullAudioOutput* output;
    std::unique_ptr<TcbDSMixer> mixer;
};

TEST(TcbDSMixer, OpensTheDeviceOnFirstNeedOnly) {
    NullRig rig;
    EXPECT_FALSE(rig.mixer->DeviceOpen());
    EXPECT_FALSE(rig.output->IsOpen());
    TcbSoundDevice& first = rig.mixer->GetDevice();
    EXPECT_TRUE(rig.output->IsOpen());
    EXPECT_EQ(&rig.mixer->GetDevice(), &first);
    EXPECT_EQ(rig.output->OpenCount(), 1);

    rig.mixer->CloseDevice();
    EXPECT_FALSE(rig.output->IsOpen());
    rig.mixer->GetDevice();
    EXPECT_EQ(rig.output->OpenCount(), 2);
}

TEST(TcbDSMixer, DeviceThatWentAwayIsOpenedAfresh) {
    NullRig rig;
    rig.mixer->GetDevice();
    rig.output->Remove();
    rig.mixer->GetDevice();
    EXPECT_EQ(rig.output->OpenCount(), 2);
    EXPECT_FALSE(rig.output->Removed());
}

TEST(TcbDSMixer, FrequencyIsClamped) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {50, 100}, {100, 100}, {22050, 22050}, {100000, 100000}, {200000, 100000}, {-1, 100}};
    NullRig rig;
    EXPECT_EQ(rig.mixer->Frequency(), 44100);
    for (const auto& [given, stored] : cases) {
        rig.mixer->SetFrequency(given);
        EXPECT_EQ(rig.mixer->Frequency(), stored) << given;
    }
}

TEST(TcbDSMixer, LevelDecidesWhetherTheFormatIsAskedForAndReadBack) {
    struct Case {
        const char* name;
        TacahLevel level;
        bool takesWanted;
        bool stereo;
        TacahBitsPerSample bits;
        std::int32_t frequency;
        TAudioSpec deviceFormat;
    };
    const TAudioSpec own{22050, 1, 8};
    const Case cases[] = {
        {"normal leaves the device's format and the properties alone", TacahLevel::lNormal, true,
         true, TacahBitsPerSample::bs16Bit, 48000, own},
        {"priority stores back what the device took", TacahLevel::lPriority, false, false,
         TacahBitsPerSample::bs8Bit, 22050, own},
        {"priority on a device that takes the request",
         TacahLevel::lPriority,
         true,
         true,
         TacahBitsPerSample::bs16Bit,
         48000,
         {48000, 2, 16}},
        {"exclusive asks as priority does", TacahLevel::lExclusive, false, false,
         TacahBitsPerSample::bs8Bit, 22050, own},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NullRig rig(own, c.takesWanted);
        rig.mixer->Level = c.level;
        rig.mixer->SetFrequency(48000);
        const TcbSoundDevice& device = rig.mixer->GetDevice();
        EXPECT_EQ(rig.mixer->Stereo, c.stereo);
        EXPECT_EQ(rig.mixer->BitsPerSample, c.bits);
        EXPECT_EQ(rig.mixer->Frequency(), c.frequency);
        EXPECT_EQ(device.Format().Frequency, c.deviceFormat.Frequency);
        EXPECT_EQ(device.Format().Channels, c.deviceFormat.Channels);
        EXPECT_EQ(device.Format().BitsPerSample, c.deviceFormat.BitsPerSample);
    }
}

TEST(TcbDSMixer, SpeakerConfig) {
    NullRig rig;
    EXPECT_EQ(rig.mixer->SpeakerConfig(), 4u);
    rig.mixer->SetSpeakerConfig(0x000A0004); // stereo, narrow: stored while closed
    EXPECT_EQ(rig.mixer->SpeakerConfig(), 0x000A0004u);
    rig.mixer->GetDevice();
    try {
        rig.mixer->SetSpeakerConfig(42);
        FAIL() << "accepted";
    } catch (const EDirectXError& e) {
        EXPECT_EQ(e.ErrorCode, kDSErrInvalidParam);
    }
    EXPECT_EQ(rig.mixer->SpeakerConfig(), 0x000A0004u) << "the old value stays";

    NullRig refused;
    refused.mixer->SetSpeakerConfig(42);
    EXPECT_THROW(refused.mixer->GetDevice(), EDirectXError) << "handed to the device as it opens";
}

TEST(TcbDSMixer, DeviceChangedFollowsOpenAndClose) {
    struct Counting : TcbDSMixer {
        Counting()
            : TcbDSMixer(nullptr, std::make_unique<TNullAudioOutput>()) {}
        ~Counting() override { CloseDevice(); }
        void DeviceChanged() override { ++changes; }
        int changes = 0;
    };
    Counting mixer;
    mixer.GetDevice();
    mixer.GetDevice();
    EXPECT_EQ(mixer.changes, 1);
    mixer.CloseDevice();
    mixer.CloseDevice();
    EXPECT_EQ(mixer.changes, 2);
}

TEST(TcbDSMixer, SdlListsTheDefaultDeviceFirst) {
    TcbDSMixer mixer(nullptr);
    ASSERT_FALSE(mixer.DeviceIds().empty());
    ASSERT_EQ(mixer.DeviceIds().size(), mixer.DeviceDescriptions().size());
    EXPECT_EQ(mixer.DeviceIds().front(), "");
    const TcbSoundDevice& device = mixer.GetDevice();
    EXPECT_EQ(device.Format().Frequency, 44100u);
    EXPECT_EQ(device.Format().Channels, 2);
    EXPECT_EQ(device.Format().BitsPerSample, 16);
}

TEST(TcbDSMixer, NoUsableSoundSystemIsAClearError) {
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = before != nullptr ? before : "";
    const char* drivers[] = {"no-such-driver", "alsa"}; // no sound card on the test machine
    for (const char* driver : drivers) {
        SCOPED_TRACE(driver);
        setenv("SDL_AUDIODRIVER", driver, 1);
        TcbDSMixer mixer(nullptr);
        try {
            mixer.GetDevice();
            if (std::string(driver) == "alsa") {
                continue; // this machine has a sound card after all
            }
            ADD_FAILURE() << "opened";
        } catch (const EDirectXError& e) {
            EXPECT_STREQ(e.what(), "No sound driver is available for use.");
            EXPECT_EQ(static_cast<std::uint32_t>(e.ErrorCode), 0x88780078u);
        }
        EXPECT_FALSE(mixer.DeviceOpen());
    }
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
}

} // namespace
