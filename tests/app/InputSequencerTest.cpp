// The order in which input events reach the GUI and the map: what waits for
// the next frame, and that nothing is reordered or dropped.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/InputSequencer.hpp"

namespace tessarin {
namespace {

using Kind = InputEvent::Kind;

// A script of events, '|' marking a frame; the result is the events in the
// order carried out, with '|' where frames ended.
std::string run(const std::vector<InputEvent>& script) {
    std::string log;
    auto name = [](const InputEvent& e) {
        switch (e.kind) {
            case Kind::Key: return std::string("k") + static_cast<char>(e.code);
            case Kind::KeyUp: return std::string("u") + static_cast<char>(e.code);
            case Kind::Special: return "s" + std::to_string(e.code);
            case Kind::SpecialUp: return "S" + std::to_string(e.code);
            case Kind::Button: return (e.state == 0 ? "press" : "release") + std::to_string(e.code);
            case Kind::Motion: return std::string("drag");
            case Kind::PassiveMotion: return std::string("move");
            case Kind::Wheel: return std::string("wheel");
        }
        return std::string("?");
    };
    InputSequencer seq([&](const InputEvent& e) { log += name(e) + " "; });
    for (const InputEvent& e : script) {
        if (e.code == -1) {
            log += "| ";
            seq.frameDone();
        } else {
            seq.post(e);
        }
    }
    return log;
}

const InputEvent kFrame{Kind::Key, -1};
InputEvent key(char c) { return {Kind::Key, c}; }
InputEvent up(char c) { return {Kind::KeyUp, c}; }
InputEvent special(int k) { return {Kind::Special, k}; }
InputEvent specialUp(int k) { return {Kind::SpecialUp, k}; }
InputEvent press(int b) { return {Kind::Button, b, 0}; }
InputEvent release(int b) { return {Kind::Button, b, 1}; }
InputEvent drag() { return {Kind::Motion, 0}; }

TEST(InputSequencer, WhatWaitsForTheNextFrame) {
    struct Case {
        const char* name;
        std::vector<InputEvent> script;
        const char* expected;
    };
    const Case cases[] = {
        {"a tap of a character key", {key('a'), up('a'), kFrame}, "ka | ua "},
        {"a tap of End between two frames", {special(107), specialUp(107), kFrame}, "s107 | S107 "},
        {"keys held across frames go at once", {key('a'), kFrame, up('a'), kFrame}, "ka | ua | "},
        {"a click within one frame", {press(0), release(0), kFrame}, "press0 | release0 "},
        {"a key just after a click waits for the GUI to see the click",
         {press(0), key('i'), release(0), kFrame, kFrame},
         "press0 | ki release0 | "},
        {"a key pressed twice in a frame counts twice",
         {key('\b'), up('\b'), key('\b'), up('\b'), kFrame, kFrame, kFrame, kFrame},
         "k\b | u\b | k\b | u\b | "},
        {"typing keeps its order", {key('1'), key('9'), up('1'), key('.'), kFrame}, "k1 k9 | u1 k. "},
        {"a release and the next press of a key never share a frame",
         {key('a'), kFrame, up('a'), key('a'), kFrame, up('a'), kFrame}, "ka | ua | ka | ua "},
        {"drags go at once unless something waits", {press(0), drag(), release(0), drag(), kFrame},
         "press0 drag | release0 drag "},
        {"other buttons do not wait for each other", {press(0), press(2), kFrame}, "press0 press2 | "},
    };
    for (const Case& c : cases) EXPECT_EQ(run(c.script), c.expected) << c.name;
}

}  // namespace
}  // namespace tessarin
