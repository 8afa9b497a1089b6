#include "ui/WindowFileChooser.hpp"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <array>
#include <cstring>

#include "ui/ChooserFolder.hpp"

namespace tessarin {

namespace {

enum class Answer { Open, Chosen, Cancelled };

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

    Answer draw(const char* title) {
        const ImGuiIO& io = ImGui::GetIO();
        if (!ImGui::IsPopupOpen(title)) ImGui::OpenPopup(title);
        ImGui::SetNextWindowSize(ImVec2(600.0f, 440.0f), ImGuiCond_Always);
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always,
                                ImVec2(0.5f, 0.5f));
        Answer answer = Answer::Open;
        if (!ImGui::BeginPopupModal(title, nullptr,
                                    ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                        ImGuiWindowFlags_NoCollapse)) {
            return Answer::Cancelled;
        }
        ImGui::TextUnformatted(filter.name.c_str());
        ImGui::TextUnformatted(folder.folder().c_str());
        ImGui::BeginChild("##entries", ImVec2(0.0f, 300.0f), true);
        std::string enterFolder;
        for (const ChooserEntry& e : folder.entries()) {
            const std::string label = e.folder ? e.name + "/" : e.name;
            if (ImGui::Selectable(label.c_str(), !e.folder && e.name == name.data(),
                                  ImGuiSelectableFlags_AllowDoubleClick)) {
                if (e.folder) {
                    enterFolder = e.name;
                } else {
                    setName(e.name);
                    if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) answer = confirm();
                }
            }
        }
        ImGui::EndChild();
        if (!enterFolder.empty() && folder.enter(enterFolder)) focusName = true;

        ImGui::TextUnformatted("Name");
        ImGui::SameLine();
        ImGui::SetNextItemWidth(-1.0f);
        if (focusName) {
            ImGui::SetKeyboardFocusHere();
            focusName = false;
        }
        if (ImGui::InputText("##name", name.data(), name.size(), ImGuiInputTextFlags_EnterReturnsTrue)) {
            answer = confirm();
        }
        if (!folder.message().empty()) ImGui::TextUnformatted(folder.message().c_str());
        if (ImGui::Button(save ? "Save" : "Open", ImVec2(100.0f, 0.0f))) answer = confirm();
        ImGui::SameLine();
        if (ImGui::Button("Cancel", ImVec2(100.0f, 0.0f))) answer = Answer::Cancelled;
        if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) answer = Answer::Cancelled;
        if (answer != Answer::Open) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
        return answer;
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

std::string WindowFileChooser::run(bool save, const FileFilter& filter) {
    Dialog dialog(save, filter);
    const char* title = save ? "Save file##chooser" : "Open file##chooser";
    if (host_.setModal) host_.setModal(true);
    Answer answer = Answer::Open;
    while (answer == Answer::Open) {
        glutMainLoopEvent();
        ImGui_ImplOpenGL2_NewFrame();
        ImGui_ImplGLUT_NewFrame();
        answer = dialog.draw(title);
        renderFrame(host_.drawBehind);
        if (host_.frameDone) host_.frameDone();
    }
    if (host_.setModal) host_.setModal(false);
    return answer == Answer::Chosen ? dialog.chosen : std::string();
}

}  // namespace tessarin
