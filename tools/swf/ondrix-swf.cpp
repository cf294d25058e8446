// Writes the movie of a named scene: ondrix-swf <scene> <file.swf>
#include "Scenes.h"

#include <exception>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: ondrix-swf <scene> <file.swf>\nscenes:";
        for (const std::string& name : ondrix::swf::SceneNames())
            std::cerr << ' ' << name;
        std::cerr << '\n';
        return 2;
    }
    try {
        const std::string bytes = ondrix::swf::WriteMovie(ondrix::swf::Scene(argv[1]));
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "ondrix-swf: cannot write " << argv[2] << '\n';
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << "ondrix-swf: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
