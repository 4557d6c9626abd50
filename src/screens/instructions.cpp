#include "screens/instructions.h"

#include "core/frame_helpers.h"
#include "core/loaded_files.h"
#include "core/trace.h"
#include "game/snow.h"
#include "platform/audio/sound.h"
#include "platform/input/keyboard.h"
#include "platform/system/text.h"
#include "screens/fade.h"

using namespace sq;

void RainbowColour(int y, float colourPhase, int& r, int& g, int& b) {
    int a = ToInt(y + colourPhase);
    r = ToInt(SinDeg(a) * 100);
    g = ToInt(CosDeg(a) * 100);
    b = ToInt(SinDeg(a) * 100);
}

void CInstructions::Init() {
    CTimedSpeed::Init();
    snowEffect = CSnow::Create(200);
    background = LoadImageFrom(kInstructionsPictureFile, -1);
    NoteLoadedFile(background, kInstructionsPictureFile);
}

int CInstructions::Update() {
    textY -= 0.04f * tickDelta;
    colourPhase += 0.4f * tickDelta;
    snowEffect->Update();
    return 0;
}

void CInstructions::DrawRainbowLine(const std::string& text, int x, int y) {
    SetDrawColor(0, 0, 0);
    DrawTextAt(text, float(x - 1), float(y - 1));
    int r, g, b;
    // Negative components are clamped to 0 by the colour setter.
    RainbowColour(y, colourPhase, r, g, b);
    SetDrawColor(r, g, b);
    DrawTextAt(text, float(x), float(y));
}

void CInstructions::Draw() {
    DrawImageAt(background, 0, 0, 0);
    for (const TInstructionLine& line : kInstructionLines) DrawRainbowLine(line.text, 2, ToInt(textY + line.offset));
    snowEffect->Draw();
}

void CInstructions::Release() { snowEffect = CSnow::Destroy(snowEffect); }

void ShowInstructions() {
    ChannelRef channel = NewChannel();
    // The narration is decoded while it plays; its length is known at once,
    // for the screen ends with it.
    SoundRef narration = OpenSoundStream(kNarrationFile, 0, /*measure=*/true);
    NoteLoadedFile(narration, kNarrationFile);
    auto screen = std::make_shared<CInstructions>();
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->Start();
    screen->Init();
    ClearKeys();
    PlaySoundOn(narration, channel);
    TraceState("instructions");
    // Keys are looked at only once the fade-in is over.
    while ((fade->IsRunning() || FirstKeyHit() == 0) && IsChannelBusy(channel)) DrawFadedFrame(*screen, *fade, 1);
    ClearKeys();
    FadeOutScreen(*screen, *fade, -1);
    HaltChannel(channel);
    screen->Release();
}
