// Text scores: the notation, its error messages, the accompaniment styles
// and the rendering of loops and phrases.
#include "score.h"

#include <gtest/gtest.h>

#include <cmath>

#include "score_render.h"

namespace {

using namespace sfx;

const char* kHeader =
    "title test\n"
    "tempo 120\n"
    "meter 4/4\n"
    "voice lead patch=flute\n"
    "voice harm patch=pad style=hold\n"
    "voice bass patch=bass style=rootfifth chords=harm\n"
    "voice drums patch=kit\n";

TScore Parse(const std::string& body, const std::string& header = kHeader) {
    return ParseScore(header + body, "t.score");
}

std::string ErrorOf(const std::string& body, const std::string& header = kHeader) {
    try {
        Parse(body, header);
    } catch (const TScoreError& e) {
        return e.what();
    }
    return "";
}

std::vector<TEvent> EventsOf(const TScore& s, const std::string& voice) {
    std::vector<TEvent> out;
    for (const TEvent& e : s.Events())
        if (s.voices[e.voice].name == voice) out.push_back(e);
    return out;
}

// --- notation ---

TEST(Notation, NoteNames) {
    EXPECT_EQ(ParseNoteName("C4"), 60);
    EXPECT_EQ(ParseNoteName("A4"), 69);
    EXPECT_EQ(ParseNoteName("F#3"), 54);
    EXPECT_EQ(ParseNoteName("Bb5"), 82);
    EXPECT_EQ(ParseNoteName("c5"), 72);
    EXPECT_EQ(ParseNoteName("H4"), -1);
    EXPECT_EQ(ParseNoteName("C"), -1);
    EXPECT_EQ(ParseNoteName("C4x"), -1);
}

TEST(Notation, Durations) {
    EXPECT_DOUBLE_EQ(ParseDuration("4"), 1.0);
    EXPECT_DOUBLE_EQ(ParseDuration("1"), 4.0);
    EXPECT_DOUBLE_EQ(ParseDuration("8."), 0.75);
    EXPECT_DOUBLE_EQ(ParseDuration("2.."), 3.5);
    EXPECT_DOUBLE_EQ(ParseDuration("2+8"), 2.5);
    EXPECT_LE(ParseDuration("3"), 0.0);
    EXPECT_LE(ParseDuration("4..."), 0.0);
    EXPECT_LE(ParseDuration(""), 0.0);
}

TEST(Notation, ChordSymbols) {
    TChord c;
    ASSERT_TRUE(ParseChordSymbol("D7", c));
    EXPECT_EQ(c.root, 2);
    EXPECT_EQ(c.tones, (std::vector<int>{0, 4, 7, 10}));
    ASSERT_TRUE(ParseChordSymbol("F#m", c));
    EXPECT_EQ(c.root, 6);
    EXPECT_EQ(c.tones, (std::vector<int>{0, 3, 7}));
    ASSERT_TRUE(ParseChordSymbol("G_B", c));
    EXPECT_EQ(c.bass, 11);
    EXPECT_FALSE(ParseChordSymbol("Gxyz", c));
    EXPECT_FALSE(ParseChordSymbol("g", c));
}

TEST(Notation, DurationCarriesOnAndBarsRepeat) {
    TScore s = Parse("part a\nlead: C4/8 D4 E4 F4 G4/2 | % |\nend\nform a\n");
    std::vector<TEvent> lead = EventsOf(s, "lead");
    ASSERT_EQ(lead.size(), 10u);
    EXPECT_DOUBLE_EQ(lead[1].beats, 0.5);  // D4 keeps the eighth
    EXPECT_DOUBLE_EQ(lead[5].beat, 4.0);   // the repeated bar starts on beat 4
    EXPECT_EQ(lead[9].midi, 67);
    EXPECT_DOUBLE_EQ(s.LengthBeats(), 8.0);
}

TEST(Notation, HoldAcrossTheBarLine) {
    TScore s = Parse("part a\nlead: C4/2 E4/2 | ~/2 G4/2 |\nharm: C/1 | ~/1 |\nend\nform a\n");
    std::vector<TEvent> lead = EventsOf(s, "lead");
    ASSERT_EQ(lead.size(), 3u);
    EXPECT_DOUBLE_EQ(lead[1].beats, 4.0);       // E4 held over the bar line, struck once
    EXPECT_EQ(EventsOf(s, "harm").size(), 3u);  // one C chord, four beats
    EXPECT_DOUBLE_EQ(EventsOf(s, "harm")[0].beats, 8.0);
}

TEST(Notation, CommentsButNotSharps) {
    TScore s = Parse("part a  # the only part\nlead: F#4/1 | # a whole bar\nend\nform a\n");
    EXPECT_EQ(EventsOf(s, "lead")[0].midi, 66);
}

TEST(Notation, CopiesOfLines) {
    std::string err = ErrorOf("part a\nlead: C4/1 |\nend\npart b\nharm: = a.lead\nend\nform a b\n");
    EXPECT_NE(err.find("different kinds"), std::string::npos) << err;
    TScore t = Parse("part a\nlead: C4/1 |\nend\npart b transpose=2\nlead: = a\nend\nform a b\n");
    std::vector<TEvent> lead = EventsOf(t, "lead");
    ASSERT_EQ(lead.size(), 2u);
    EXPECT_EQ(lead[1].midi, 62);  // the copy is played a tone higher
    EXPECT_DOUBLE_EQ(lead[1].beat, 4.0);
}

// --- mistakes are reported with their line ---

TEST(Mistakes, ReportedWithTheirLine) {
    EXPECT_NE(ErrorOf("part a\nlead: C4/4 D4 E4 |\nend\nform a\n").find("t.score:9:"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: C4/4 D4 E4 |\nend\nform a\n").find("bar holds 3"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: C4/2. D4/2 |\nend\nform a\n").find("runs over the bar line"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: C4/1 |\nharm: C/1 | C/1 |\nend\nform a\n").find("lasts"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: X4/1 |\nend\nform a\n").find("not a note"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nharm: Cfoo/1 |\nend\nform a\n").find("not a chord"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\ndrums: kz/1 |\nend\nform a\n").find("not a drum"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nbass: C/1 |\nend\nform a\n").find("follows the chords"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: C4/1 |\nend\nform b\n").find("unknown part"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: C4/1 |\n").find("not closed"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: % |\nend\nform a\n").find("no bar before"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: ~/1 |\nend\nform a\n").find("nothing to hold"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: C4/1 |\nend\n").find("no form"), std::string::npos);
    EXPECT_NE(ErrorOf("", "voice x patch=harp\n").find("unknown instrument"), std::string::npos);
    EXPECT_NE(ErrorOf("part a\nlead: C4/2\nend\nform a\n").find("does not end on a bar line"), std::string::npos);
}

// --- accompaniment styles ---

TEST(Styles, RootAndFifthEveryHalfBarInFourTime) {
    TScore s = Parse("part a\nharm: C/1 | G7/2 D/2 |\nend\nform a\n");
    std::vector<TEvent> bass = EventsOf(s, "bass");
    ASSERT_EQ(bass.size(), 4u);
    EXPECT_EQ(bass[0].midi % 12, 0);  // C
    EXPECT_EQ(bass[1].midi % 12, 7);  // its fifth, G
    EXPECT_DOUBLE_EQ(bass[1].beat, 2.0);
    EXPECT_EQ(bass[2].midi % 12, 7);  // G7's root
    EXPECT_EQ(bass[3].midi % 12, 2);  // D's root
    for (const TEvent& e : bass) {
        EXPECT_GE(e.midi, 40);
        EXPECT_LE(e.midi, 51);
    }
}

TEST(Styles, OffbeatChordsFollowTheMeter) {
    const std::string waltz =
        "title w\ntempo 120\nmeter 3/4\nvoice harm patch=pad style=hold\n"
        "voice comp patch=pluck style=offbeat chords=harm\n";
    TScore s = Parse("part a\nharm: G/2. | C/2. |\nend\nform a\n", waltz);
    std::vector<double> beats;
    for (const TEvent& e : EventsOf(s, "comp")) beats.push_back(e.beat);
    // Three notes per chord on beats 2 and 3 of each bar.
    EXPECT_EQ(beats, (std::vector<double>{1, 1, 1, 2, 2, 2, 4, 4, 4, 5, 5, 5}));
    const std::string four =
        "title f\ntempo 120\nmeter 4/4\nvoice harm patch=pad style=hold\n"
        "voice comp patch=pluck style=offbeat chords=harm\n";
    TScore f = Parse("part a\nharm: G/1 |\nend\nform a\n", four);
    beats.clear();
    for (const TEvent& e : EventsOf(f, "comp")) beats.push_back(e.beat);
    EXPECT_EQ(beats, (std::vector<double>{1, 1, 1, 3, 3, 3}));
}

TEST(Styles, ChordsStayInOneRegister) {
    TScore s = Parse("part a\nharm: C/4 F/4 G7/4 Bb/4 |\nend\nform a\n");
    for (const TEvent& e : EventsOf(s, "harm")) {
        EXPECT_GE(e.midi, 56);
        EXPECT_LE(e.midi, 67);
    }
}

TEST(Styles, AccentsOnTheDownbeat) {
    TScore s = Parse("part a\nlead: C4/8 D4 E4/4 F4 G4 |\nend\nform a\n");
    std::vector<TEvent> lead = EventsOf(s, "lead");
    EXPECT_GT(lead[0].velocity, lead[2].velocity);  // beat 1 over beat 2
    EXPECT_GT(lead[2].velocity, lead[1].velocity);  // on the beat over off it
}

// --- rendering ---

const char* kLoopScore =
    "title loop\ntempo 120\nmeter 4/4\nloop yes\nreverb 0.3 0.8\n"
    "voice lead patch=bells\n"
    "part a\nlead: r/2. C5/4 |\nend\nform a\n";

TEST(Render, LoopIsExactlyItsLengthAndRingsIntoItsStart) {
    TScore s = ParseScore(kLoopScore, "loop");
    TWave w = RenderScore(s);
    EXPECT_EQ(w.Frames(), size_t(std::lround(2.0 * kRate)));  // one bar at 120 is two seconds
    EXPECT_EQ(w.channels, 2);
    // The bell struck on the last beat is still ringing at the start.
    double early = 0;
    for (size_t i = 0; i < size_t(Samples(0.3)); ++i) early = std::max(early, double(std::fabs(w.At(i, 0))));
    EXPECT_GT(early, 0.05);
    // And the end flows into the start: no step larger than the waveform's own.
    double maxStep = 0;
    for (size_t i = w.Frames() - 2000; i + 1 < w.Frames(); ++i)
        maxStep = std::max(maxStep, double(std::fabs(w.At(i + 1, 0) - w.At(i, 0))));
    EXPECT_LE(std::fabs(w.At(0, 0) - w.At(w.Frames() - 1, 0)), maxStep * 1.5 + 1e-4);
}

TEST(Render, PhraseEndsInSilenceAndIsRepeatable) {
    std::string text = kLoopScore;
    text.replace(text.find("loop yes"), 8, "loop no");
    TScore s = ParseScore(text, "phrase");
    TWave a = RenderScore(s), b = RenderScore(s);
    EXPECT_EQ(a.data, b.data);
    EXPECT_GT(a.Seconds(), 2.0);  // the bell's ring is kept
    EXPECT_LT(std::fabs(a.data.back()), 1e-3);
    EXPECT_LE(Measure(a).peakDb, s.peakDb + 1e-6);
}

TEST(Render, PhraseStartingOnTheBeatRisesFromSilence) {
    // A jingle whose first chord is struck at once, loudly, on every voice.
    const char* text =
        "title start\ntempo 120\nmeter 4/4\nloop no\n"
        "voice lead patch=brass vol=1\nvoice box patch=musicbox vol=1\nvoice drums patch=kit vol=1\n"
        "part a\nlead: C5,E5,G5/1 |\nbox: C6/1 |\ndrums: kc/1 |\nend\nform a\n";
    TWave w = RenderScore(ParseScore(text, "start"));
    double peak = DbToGain(Measure(w).peakDb), firstMs = 0;
    for (size_t i = 0; i < size_t(Samples(0.001)); ++i)
        for (int c = 0; c < 2; ++c) firstMs = std::max(firstMs, double(std::fabs(w.At(i, c))));
    EXPECT_EQ(w.At(0, 0), 0.0f);
    EXPECT_LT(firstMs, 0.4 * peak) << "the phrase starts with a click";
}

// The carols that open on bells: in their introduction the bells ring out
// over the pad and the bass rather than hide under them.
TEST(Arrangement, BellIntroductionsLeadTheirTunes) {
    for (const char* name : {"HiScores", "full"}) {
        TScore s = LoadScore(std::string(SFX_ASSETS_DIR) + "/music/" + name + ".score");
        s.form = {"intro"};
        s.loop = false;
        TRenderReport report;
        RenderScore(s, &report);
        double bells = -240, others = -240;
        for (size_t i = 0; i < s.voices.size(); ++i) {
            bool bell = s.voices[i].patch == EPatch::kBells || s.voices[i].patch == EPatch::kCelesta;
            double& slot = bell ? bells : others;
            slot = std::max(slot, report.voiceRmsDb[i]);
        }
        EXPECT_GT(bells, others + 5.0) << name;
    }
}

}  // namespace
