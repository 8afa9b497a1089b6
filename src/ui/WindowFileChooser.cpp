#include "ui/WindowFileChooser.hpp"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <array>
#include <cstring>
#include <vector>

#include "ui/ChooserFolder.hpp"

namespace tessarin {

namespace {

using Answer = WindowFileChooser::Answer;


// The last button of a dialog, which Escape presses too, and its end.
Answer endDialog(const char* cancelLabel, Answer answer) {
    ImGui::SameLine();
    if (ImGui::Button(cancelLabel, ImVec2(100.0f, 0.0f))) answer = Answer::Cancelled;
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) answer = Answer::Cancelled;
    if (answer != Answer::Open) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
    return answer;
}

struct Dialog {
    Dialog(bool saving, const FileFilter& f) : save(saving), filter(f), folder(".", f.pattern) {}

    bool save;
    FileFilter filter;
    ChooserFolder folder;
    // The name starts empty: the caller appends its own suffixes to what is
    // typed, so no default name is offered.
    std::array<char, 512> name{};
    bool focusName = true;
    std::string chosen;

    void setName(const std::string& text) {
        std::strncpy(name.data(), text.c_str(), name.size() - 1);
        name.back() = '\0';
    }

    Answer confirm() {
        switch (folder.confirm(name.data(), save, chosen)) {
            case ChooserFolder::Outcome::Chosen: return Answer::Chosen;
            case ChooserFolder::Outcome::EnteredFolder:
                setName("");
                focusName = true;
                return Answer::Open;
            case ChooserFolder::Outcome::Nothing: return Answer::Open;
        }
        return Answer::Open;
    }

    bool enterPressed() const {
        return ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
               ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false);
    }

    Answer draw(const std::string& title) {
        const ImGuiIO& io = ImGui::GetIO();
        if (!ImGui::IsPopupOpen(title.c_str())) ImGui::OpenPopup(title.c_str());
        ImGui::SetNextWindowSize(ImVec2(600.0f, 440.0f), ImGuiCond_Always);
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always,
                                ImVec2(0.5f, 0.5f));
        Answer answer = Answer::Open;
        if (!ImGui::BeginPopupModal(title.c_str(), nullptr,
                                    ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                        ImGuiWindowFlags_NoCollapse)) {
            return Answer::Cancelled;
        }
        ImGui::TextUnformatted(filter.name.c_str());
        ImGui::TextUnformatted(folder.folder().c_str());
        ImGui::BeginChild("##entries", ImVec2(0.0f, 300.0f), true);
        std::string enterFolder;
        const bool doubleClick = ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left);
        for (const ChooserEntry& e : folder.entries()) {
            const std::string label = e.folder ? e.name + "/" : e.name;
            const bool selected = e.folder ? e.name == selectedFolder : e.name == name.data();
            if (ImGui::Selectable(label.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick)) {
                if (e.folder) {
                    // One click selects; the double click opens this folder
                    // only, not also the entry that takes its place.
                    selectedFolder = e.name;
                    if (doubleClick) enterFolder = e.name;
                } else {
                    selectedFolder.clear();
                    setName(save ? folder.nameToSave(e.name) : e.name);
                    if (doubleClick) answer = confirm();
                }
            }
        }
        const bool listFocused = ImGui::IsWindowFocused();
        ImGui::EndChild();
        if (!enterFolder.empty() && folder.enter(enterFolder)) {
            selectedFolder.clear();
            focusName = true;
        }

        ImGui::TextUnformatted("Name");
        ImGui::SameLine();
        ImGui::SetNextItemWidth(-1.0f);
        if (focusName) {
            ImGui::SetKeyboardFocusHere();
            focusName = false;
        }
        if (ImGui::InputText("##name", name.data(), name.size(), ImGuiInputTextFlags_EnterReturnsTrue)) {
            answer = confirm();
        } else if (listFocused && enterPressed() && answer == Answer::Open) {
            // Enter in the list: open the selected folder, or take the name.
            if (!selectedFolder.empty()) {
                if (folder.enter(selectedFolder)) focusName = true;
                selectedFolder.clear();
            } else {
                answer = confirm();
            }
        }
        if (!folder.message().empty()) ImGui::TextUnformatted(folder.message().c_str());
        if (ImGui::Button(save ? "Save" : "Open", ImVec2(100.0f, 0.0f))) answer = confirm();
        return endDialog("Cancel", answer);
    }

    std::string selectedFolder;
};

// The question before files are replaced: Replace, or Keep (Escape).
struct ReplaceQuestion {
    std::vector<std::string> files;

    Answer draw() {
        const char* title = "Replace existing files?##replace";
        const ImGuiIO& io = ImGui::GetIO();
        if (!ImGui::IsPopupOpen(title)) ImGui::OpenPopup(title);
        ImGui::SetNextWindowSize(ImVec2(600.0f, 0.0f), ImGuiCond_Always);
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always,
                                ImVec2(0.5f, 0.5f));
        if (!ImGui::BeginPopupModal(title, nullptr,
                                    ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                        ImGuiWindowFlags_NoCollapse)) {
            return Answer::Cancelled;
        }
        ImGui::TextUnformatted(files.size() == 1 ? "This file already exists:" : "These files already exist:");
        for (const std::string& f : files) ImGui::BulletText("%s", f.c_str());
        ImGui::TextUnformatted(files.size() == 1 ? "Replace it?" : "Replace them?");
        Answer answer = Answer::Open;
        if (ImGui::Button("Replace", ImVec2(100.0f, 0.0f))) answer = Answer::Chosen;
        return endDialog("Keep", answer);
    }
};

void renderFrame(const std::function<void()>& drawBehind) {
    if (drawBehind) drawBehind();
    ImGui::Render();
    const ImGuiIO& io = ImGui::GetIO();
    glViewport(0, 0, static_cast<GLsizei>(io.DisplaySize.x), static_cast<GLsizei>(io.DisplaySize.y));
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
}

}  // namespace

std::string WindowFileChooser::openFile(const FileFilter& filter) { return run(false, filter); }

std::string WindowFileChooser::saveFile(const FileFilter& filter) { return run(true, filter); }

template <typename Draw>
Answer WindowFileChooser::loop(Draw&& draw) {
    if (host_.setModal) host_.setModal(true);
    Answer answer = Answer::Open;
    while (answer == Answer::Open) {
        glutMainLoopEvent();
        ImGui_ImplOpenGL2_NewFrame();
        ImGui_ImplGLUT_NewFrame();
        answer = draw();
        renderFrame(host_.drawBehind);
        if (host_.frameDone) host_.frameDone();
    }
    if (host_.setModal) host_.setModal(false);
    return answer;
}

std::string WindowFileChooser::run(bool save, const FileFilter& filter) {
    Dialog dialog(save, filter);
    // The title names what is opened or saved; the id after ## keeps one
    // popup whatever the title.
    const std::string title = takeTitle(save) + "##chooser";
    const Answer answer = loop([&] { return dialog.draw(title); });
    return answer == Answer::Chosen ? dialog.chosen : std::string();
}

bool WindowFileChooser::confirmReplace(const std::vector<std::string>& files) {
    if (files.empty()) return true;
    ReplaceQuestion question{files};
    return loop([&] { return question.draw(); }) == Answer::Chosen;
}

}  // namespace tessarin
