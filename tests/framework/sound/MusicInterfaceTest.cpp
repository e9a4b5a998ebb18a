#include <gtest/gtest.h>

#include "framework/sound/MusicInterface.h"

TEST(MusicInterfaceTest, SilentPlayerAcceptsEveryCall)
{
    Lumo::MusicInterface music;
    EXPECT_FALSE(music.LoadMusic(1, "song.mod"));
    music.PlayMusic(1, 0, false);
    music.FadeIn(1, -1, 0.1, false);
    music.FadeOut(1, true, 0.1);
    music.FadeOutAll(true, 0.1);
    music.SetSongVolume(1, 0.5);
    music.SetSongMaxVolume(1, 0.5);
    music.SetVolume(0.5);
    music.SetMusicAmplify(1, 0.5);
    music.Update();
    music.PauseAllMusic();
    music.ResumeAllMusic();
    music.StopAllMusic();
    music.UnloadMusic(1);
    music.UnloadAllMusic();
    EXPECT_FALSE(music.IsPlaying(1));
}
