#include "platform/video/gl_api.h"

#include <SDL.h>

namespace sq {

namespace {

template <typename T>
bool Fetch(T& out, const char* name, const char* fallback = nullptr) {
    void* p = SDL_GL_GetProcAddress(name);
    if (!p && fallback) p = SDL_GL_GetProcAddress(fallback);
    out = reinterpret_cast<T>(p);
    return p != nullptr;
}

}  // namespace

bool TGlApi::Load(std::string& missing) {
    struct TNeed {
        bool ok;
        const char* name;
    };
    const TNeed needs[] = {
        {Fetch(createShader, "glCreateShader"), "glCreateShader"},
        {Fetch(shaderSource, "glShaderSource"), "glShaderSource"},
        {Fetch(compileShader, "glCompileShader"), "glCompileShader"},
        {Fetch(getShaderiv, "glGetShaderiv"), "glGetShaderiv"},
        {Fetch(getShaderInfoLog, "glGetShaderInfoLog"), "glGetShaderInfoLog"},
        {Fetch(deleteShader, "glDeleteShader"), "glDeleteShader"},
        {Fetch(createProgram, "glCreateProgram"), "glCreateProgram"},
        {Fetch(attachShader, "glAttachShader"), "glAttachShader"},
        {Fetch(bindAttribLocation, "glBindAttribLocation"), "glBindAttribLocation"},
        {Fetch(linkProgram, "glLinkProgram"), "glLinkProgram"},
        {Fetch(getProgramiv, "glGetProgramiv"), "glGetProgramiv"},
        {Fetch(getProgramInfoLog, "glGetProgramInfoLog"), "glGetProgramInfoLog"},
        {Fetch(useProgram, "glUseProgram"), "glUseProgram"},
        {Fetch(deleteProgram, "glDeleteProgram"), "glDeleteProgram"},
        {Fetch(getUniformLocation, "glGetUniformLocation"), "glGetUniformLocation"},
        {Fetch(uniform1i, "glUniform1i"), "glUniform1i"},
        {Fetch(uniform1f, "glUniform1f"), "glUniform1f"},
        {Fetch(uniform4f, "glUniform4f"), "glUniform4f"},
        {Fetch(genBuffers, "glGenBuffers", "glGenBuffersARB"), "glGenBuffers"},
        {Fetch(bindBuffer, "glBindBuffer", "glBindBufferARB"), "glBindBuffer"},
        {Fetch(bufferData, "glBufferData", "glBufferDataARB"), "glBufferData"},
        {Fetch(bufferSubData, "glBufferSubData", "glBufferSubDataARB"), "glBufferSubData"},
        {Fetch(deleteBuffers, "glDeleteBuffers", "glDeleteBuffersARB"), "glDeleteBuffers"},
        {Fetch(vertexAttribPointer, "glVertexAttribPointer"), "glVertexAttribPointer"},
        {Fetch(enableVertexAttribArray, "glEnableVertexAttribArray"), "glEnableVertexAttribArray"},
    };
    for (const TNeed& n : needs)
        if (!n.ok) {
            missing = n.name;
            return false;
        }
    Fetch(generateMipmap, "glGenerateMipmap", "glGenerateMipmapEXT");
    Fetch(genFramebuffers, "glGenFramebuffers", "glGenFramebuffersEXT");
    Fetch(deleteFramebuffers, "glDeleteFramebuffers", "glDeleteFramebuffersEXT");
    Fetch(bindFramebuffer, "glBindFramebuffer", "glBindFramebufferEXT");
    Fetch(framebufferTexture2D, "glFramebufferTexture2D", "glFramebufferTexture2DEXT");
    Fetch(checkFramebufferStatus, "glCheckFramebufferStatus", "glCheckFramebufferStatusEXT");
    return true;
}

GLuint TGlApi::BuildProgram(const char* vertex, const char* fragment, const char* const* attributes, int attributeCount,
                            std::string& log) const {
    auto compile = [&](GLenum kind, const char* source) -> GLuint {
        GLuint shader = createShader(kind);
        shaderSource(shader, 1, &source, nullptr);
        compileShader(shader);
        GLint ok = 0;
        getShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char text[1024] = {};
            getShaderInfoLog(shader, sizeof text - 1, nullptr, text);
            log = std::string(kind == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") + text;
            deleteShader(shader);
            return 0;
        }
        return shader;
    };
    GLuint vs = compile(GL_VERTEX_SHADER, vertex);
    if (!vs) return 0;
    GLuint fs = compile(GL_FRAGMENT_SHADER, fragment);
    if (!fs) {
        deleteShader(vs);
        return 0;
    }
    GLuint program = createProgram();
    attachShader(program, vs);
    attachShader(program, fs);
    for (int i = 0; i < attributeCount; ++i) bindAttribLocation(program, GLuint(i), attributes[i]);
    linkProgram(program);
    deleteShader(vs);
    deleteShader(fs);
    GLint ok = 0;
    getProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char text[1024] = {};
        getProgramInfoLog(program, sizeof text - 1, nullptr, text);
        log = std::string("program: ") + text;
        deleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace sq
