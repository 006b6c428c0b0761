// A message window over a picture: pages of Japanese text revealed one
// character at a time, drawn sharp (SpriteText) or smoothed into the picture
// behind (SmoothText), with or without a shadow.
//
//   message_window [seconds] [--frames N] [smooth] [plain]
//
//   seconds     end after this long, turning pages by themselves (none:
//               until Esc, pages turn on a key)
//   --frames N  end after N frames, turning pages by themselves
//   smooth      start with the smoothed renderer instead of the sharp one
//   plain       start without the shadow
//
// Keys: Space or Enter shows the whole page at once, or turns to the next
// page when it is all shown; Tab switches the renderer, S the shadow; Esc
// ends the program.
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "input/elInput.h"
#include "platform/entry.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

// The window and the text rectangle inside it.
constexpr int kWindowLeft = 80, kWindowTop = 392, kWindowRight = 720, kWindowBottom = 576;
constexpr int kTextLeft = 104, kTextTop = 412, kTextRight = 700, kTextBottom = 566;
constexpr int kFontSize = 20;
constexpr float kInterval = 0.04f;  // seconds per character
constexpr int kAutoTurnFrames = 60; // a fully shown page stays this many frames in timed runs

const char* const kPages[] = {
    "丘の上の小さな町に、朝いちばんの鐘が鳴った。パン屋の煙突からは白い湯気がのぼり、"
    "石畳の道を、眠そうな猫がゆっくりと横切っていく。",
    "「おはよう。今日は市場の日だよ」\n"
    "井戸のそばで、水をくむ少女が声をかけてきた。かごの中には、赤い木の実と、"
    "まだ温かいパンがひとつ。",
    "西の森には、古い塔が立っている。だれが建てたのか、町の人はだれも知らない。"
    "けれども月の明るい夜には、塔の窓に、青い灯りがともるという……。",
    "旅の支度は、これで終わり。地図と水筒、それから少しの勇気。"
    "さあ、出かけよう。道はまだ、どこまでも続いている。",
};
constexpr int kPageCount = static_cast<int>(sizeof kPages / sizeof kPages[0]);

float RunFor = 0;        // seconds, 0: no limit
int RunFrames = 0;       // frames, 0: no limit
int Frames = 0;
bool Smooth = false;
bool Shadow = true;
int Page = 0;
bool PageReady = false;  // the page is rendered into the Font object
bool PageShown = false;  // RevealText has shown all of it
bool ShowAll = false;    // the reader asked for the whole page
int ShownFrames = 0;     // frames since the page was all shown
float Seconds = 0;
int SpaceKey = 0, ReturnKey = 0, TabKey = 0, ShadowKey = 0;

// A display pixel value of an 8-bit-per-channel colour.
int Pixel(int r, int g, int b) {
    auto channel = [](int v, unsigned max, unsigned shift) {
        return static_cast<int>((static_cast<unsigned>(v) * max / 255) << shift);
    };
    return channel(r, PixelFormat.redMax, PixelFormat.redShift) |
           channel(g, PixelFormat.greenMax, PixelFormat.greenShift) |
           channel(b, PixelFormat.blueMax, PixelFormat.blueShift);
}

// Evening sky in bands, two ranges of hills and a row of lit windows.
void DrawPicture() {
    for (int y = 0; y < 600; y += 8) {
        const int t = y * 255 / 600;
        elDraw::FillBox(0, y, 800, y + 8, Pixel(40 + t * 3 / 4, 50 + t / 3, 120 - t / 3));
    }
    for (int x = 0; x < 800; x += 4) {
        const double far = 300 + 40 * std::sin(x * 0.011) + 18 * std::sin(x * 0.037 + 1.0);
        elDraw::FillBox(x, static_cast<int>(far), x + 4, 600, Pixel(70, 60, 110));
    }
    for (int x = 0; x < 800; x += 4) {
        const double near = 380 + 30 * std::sin(x * 0.008 + 2.0) + 10 * std::sin(x * 0.05);
        elDraw::FillBox(x, static_cast<int>(near), x + 4, 600, Pixel(30, 40, 50));
    }
    for (int i = 0; i < 9; ++i) {
        const int x = 120 + i * 70 + (i % 3) * 11;
        const int y = 352 + (i % 4) * 6;
        const bool lit = (static_cast<int>(Seconds * 2) + i) % 7 != 0;
        elDraw::FillBox(x, y, x + 6, y + 8, lit ? Pixel(250, 220, 120) : Pixel(60, 50, 40));
    }
}

void DrawWindow() {
    elDraw::HalfBox(kWindowLeft, kWindowTop, kWindowRight, kWindowBottom, Pixel(50, 70, 150));
    elDraw::FrameBox(kWindowLeft, kWindowTop, kWindowRight, kWindowBottom);
    elDraw::FrameBox(kWindowLeft + 3, kWindowTop + 3, kWindowRight - 3, kWindowBottom - 3);
}

// Renders the page into the Font object. The smoothed renderer blends glyph
// edges with what the back surface holds now, so the window is drawn first.
void PreparePage() {
    // Four screen pixels between lines: double-size pixels for the smoothed text.
    const int spacing = Smooth ? 8 : 4;
    const int flags = Shadow ? elText::kFlagShadow | spacing : spacing;
    if (Smooth) {
        elText::SetWorkFont(elText::kFaceSansSerif, kFontSize);
        elText::SetColor(0xFFFFFF, 0x000000, 1);
        elText::PrepareSmoothText(kTextLeft, kTextTop, kTextRight, kTextBottom, kPages[Page], flags);
        elText::ReleaseWorkFont();
    } else {
        elText::SetFont(elText::kFaceSansSerif, kFontSize, 0, 0, 0, 0);
        elText::SetColor(0xFFFFFF, 0x000000, 1);
        elText::PrepareSpriteText(kTextLeft, kTextTop, kTextRight, kTextBottom, kPages[Page], flags);
        elText::ReleaseFont();
    }
    PageReady = true;
    PageShown = false;
    ShowAll = false;
    ShownFrames = 0;
}

void TurnPage() {
    Page = (Page + 1) % kPageCount;
    PageReady = false;
}

void Redo() {
    PageReady = false;
    ShowAll = PageShown;
}

void Keys() {
    elInput::UpdateKey(plat::VK_SPACE, SpaceKey);
    elInput::UpdateKey(plat::VK_RETURN, ReturnKey);
    elInput::UpdateKey(plat::VK_TAB, TabKey);
    elInput::UpdateKey('S', ShadowKey);
    if (SpaceKey == 1 || ReturnKey == 1) {
        if (PageShown) TurnPage();
        else ShowAll = true;
    }
    if (TabKey == 1) {
        Smooth = !Smooth;
        Redo();
    }
    if (ShadowKey == 1) {
        Shadow = !Shadow;
        Redo();
    }
}

void Init() {
    if (!elDraw::Screen(800, 600, 1)) return;
    elSystem::QuitIfError();
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

void Frame() {
    Seconds += FrameDelta;
    const bool timed = RunFor > 0 || RunFrames > 0;
    if ((RunFrames > 0 && Frames++ >= RunFrames) || (RunFor > 0 && Seconds >= RunFor)) {
        elSystem::Quit();
        return;
    }
    Keys();
    DrawPicture();
    DrawWindow();
    if (!PageReady) {
        const bool whole = ShowAll;
        PreparePage();
        ShowAll = whole;
    }
    if (elText::RevealText(ShowAll ? 0.0f : kInterval)) PageShown = true;
    if (PageShown && timed && ++ShownFrames >= kAutoTurnFrames) TurnPage();

    elText::Printf(8, 8, "%s / %s   Space: 次へ  Tab: 描き方  S: 影  Esc: 終了",
                   Smooth ? "SmoothText" : "SpriteText", Shadow ? "影あり" : "影なし");
    elDraw::Present();
}

int Body(const char* commandLine, int show) {
    // Words of the command line; arguments may come quoted.
    std::istringstream words(commandLine ? commandLine : "");
    std::string word;
    while (words >> word) {
        if (!word.empty() && word.front() == '"') word.erase(0, 1);
        if (!word.empty() && word.back() == '"') word.pop_back();
        if (word == "--frames") {
            std::string n;
            words >> n;
            RunFrames = std::atoi(n.c_str());
        } else if (word == "smooth") {
            Smooth = true;
        } else if (word == "plain") {
            Shadow = false;
        } else {
            RunFor = static_cast<float>(std::atof(word.c_str()));
        }
    }
    elSystem::Program program;
    program.title = "メッセージウィンドウ";
    program.init = Init;
    program.scenes = {{1, Frame}};
    const int result = elSystem::Run(program, commandLine, show);
    return ErrorFlag ? 1 : result;
}

}  // namespace

EL_ENTRY_POINT(Body)
