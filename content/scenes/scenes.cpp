// The scene entries of the content archive.
#include "content.h"
#include "scene_list.h"

namespace scenes {

kit::SceneText writeSceneText(const SceneSource& scene) {
    return kit::writeScene(scene.fileName, scene.models, scene.frameCount - 1);
}

} // namespace scenes

std::vector<ContentFile> buildScenes() {
    std::vector<ContentFile> files;
    for (auto build : {scenes::buildHarvester, scenes::buildLedge, scenes::buildDisks, scenes::buildEscape}) {
        scenes::SceneSource scene = build();
        kit::SceneText text = scenes::writeSceneText(scene);
        files.push_back({scene.fileName, std::vector<uint8_t>(text.text.begin(), text.text.end()), true});
    }
    return files;
}
