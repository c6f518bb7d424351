#include "platform/record/replay_report.h"

#include <cstdio>

namespace kv {
namespace record {

namespace {

std::string Hex(uint64_t v) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

std::string Summary(uint64_t frames, const Score& score, uint64_t hash) {
  return "replay: " + std::to_string(frames) + " frames, " + ScoreText(score) + ", frame " +
         Hex(hash);
}

Outcome EndsEarly(ReplayBackend& replay, const TapeReader& tape, const Score& score) {
  return {kExitBadFile, Summary(replay.frames(), score, replay.LastFrameHash()) +
                            ", recording ends early: " + tape.problem()};
}

// How the recorded program ended, when something cut it short.
std::string CutShortText(const Trailer& t) {
  switch (t.ending) {
    case Ending::kProgramEnded: return "";
    case Ending::kDisplayLost: return "its display was lost";
    case Ending::kSignal: return "it was stopped by " + SignalName(t.signal);
  }
  return "";
}

// The replay where the recording ends, against the recording's end record.
Outcome Compared(ReplayBackend& replay, const Trailer& t, const Score& score) {
  const Score recorded{t.leftScore, t.rightScore};
  const uint64_t hash = replay.LastFrameHash();
  std::string what;
  if (replay.frames() != t.frames) {
    what = std::to_string(replay.frames()) + " frames, recorded " + std::to_string(t.frames);
  } else if (score.left != recorded.left || score.right != recorded.right) {
    what = ScoreText(score) + ", recorded " + ScoreText(recorded);
  } else if (replay.pixelChecks() && hash != t.lastFrameHash && t.ending != Ending::kDisplayLost) {
    // A display can be lost in the middle of drawing a frame, where the
    // replay cannot stop: its last picture is not compared.
    what = "last frame hash " + Hex(hash) + ", recorded " + Hex(t.lastFrameHash);
  }
  if (!what.empty()) {
    return {1, "replay: differs at frame " + std::to_string(replay.frames()) + ": " + what};
  }
  const std::string cut = CutShortText(t);
  const std::string upTo = cut.empty() ? "" : " up to where " + cut;
  if (!replay.pixelChecks()) {
    return {0, "replay: " + std::to_string(replay.frames()) + " frames, " + ScoreText(score) +
                   ", matches" + upTo + " (the frames' pixels were not compared)"};
  }
  return {0, Summary(replay.frames(), score, hash) + ", matches" + upTo};
}

}  // namespace

Outcome StoppedOutcome(ReplayBackend& replay, const TapeReader& tape, const Score& score) {
  switch (replay.state()) {
    case ReplayBackend::State::kDiffers:
      return {1, "replay: " + replay.difference()};
    case ReplayBackend::State::kEnded:
      // Complete, yet ending here: the recorded program was cut short here.
      if (tape.end() == TapeReader::End::kComplete) return Compared(replay, tape.trailer(), score);
      return EndsEarly(replay, tape, score);
    case ReplayBackend::State::kStopped:
      return {0, "replay: stopped at frame " + std::to_string(replay.frames())};
    case ReplayBackend::State::kPlaying:
      break;
  }
  return Outcome{};
}

Outcome FinalOutcome(ReplayBackend& replay, const TapeReader& tape, const Score& score) {
  if (replay.state() == ReplayBackend::State::kPlaying && !replay.TapeDrained()) {
    replay.ProgramEnded();
  }
  if (replay.state() != ReplayBackend::State::kPlaying) return StoppedOutcome(replay, tape, score);
  if (tape.end() != TapeReader::End::kComplete) return EndsEarly(replay, tape, score);
  return Compared(replay, tape.trailer(), score);
}

std::string Introduction(const std::string& path, TapeReader& tape) {
  uint64_t frames = 0;
  Record r;
  while (tape.Next(&r)) frames += r.kind == Kind::kPresent;
  std::string line = "replay: " + path + ": ";
  if (tape.end() == TapeReader::End::kComplete) {
    const Trailer& t = tape.trailer();
    const std::string cut = CutShortText(t);
    return line + std::to_string(t.frames) + " frames, recorded " +
           ScoreText(Score{t.leftScore, t.rightScore}) + (cut.empty() ? "" : ", then " + cut);
  }
  return line + std::to_string(frames) + " frames, then the recording ends early: " +
         tape.problem();
}

}  // namespace record
}  // namespace kv
