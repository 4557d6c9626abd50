#include "app/resources.h"

#include <algorithm>

#include "core/globals.h"
#include "core/loaded_files.h"

using namespace sq;

namespace {

#define SQ_IMAGE(g, file, flags) \
    { #g, (file), &(g), nullptr, 0, 0, 0, 0, (flags) }
#define SQ_STRIP(g, file, w, h, first, count, flags) \
    { #g, (file), &(g), nullptr, (w), (h), (first), (count), (flags) }
#define SQ_SOUND(g, file) \
    { #g, (file), nullptr, &(g), 0, 0, 0, 0, 0 }
// The jingles of several seconds are decoded while they play, as the tunes are.
#define SQ_JINGLE(g, file) \
    { #g, (file), nullptr, &(g), 0, 0, 0, 0, kStreamedSound }

const std::vector<TResource> table = {
    SQ_IMAGE(imgBackground, "gfx/MenuBack.png", -1),
    SQ_IMAGE(imgFiocco, "gfx/fiocco.png", 1),
    SQ_IMAGE(imgStar, "gfx/star.png", 2),
    SQ_IMAGE(imgTitle, "gfx/title.png", -1),
    SQ_IMAGE(imgAdventure, "gfx/adventure.png", -1),
    SQ_STRIP(imgBnatale4, "gfx/bnatale4.png", 28, 28, 0, 16, 1),
    SQ_IMAGE(imgLives, "gfx/lives.png", 1),
    SQ_STRIP(imgPneve, "gfx/pneve.png", 26, 26, 0, 24, 1),
    SQ_STRIP(imgGring2, "gfx/Gring2.png", 26, 26, 0, 16, 1),
    SQ_IMAGE(imgAureola, "gfx/aureola.png", 1),
    SQ_IMAGE(imgScores, "gfx/scores.png", -1),
    SQ_IMAGE(imgLevelComplete, "gfx/levelcomplete.png", -1),
    SQ_IMAGE(imgTimer, "gfx/Timer.png", 1),
    SQ_IMAGE(imgPagina2, "gfx/pagina2.png", -1),
    SQ_IMAGE(imgStartGFX, "gfx/StartGFX.png", -1),
    SQ_IMAGE(imgHIScores, "gfx/HIScores.png", -1),
    SQ_IMAGE(imgInstruction, "gfx/instruction.png", -1),
    SQ_IMAGE(imgCredits, "gfx/credits.png", -1),
    SQ_IMAGE(imgQuit, "gfx/quit.png", -1),
    SQ_IMAGE(imgOptions, "gfx/options.png", -1),
    SQ_IMAGE(imgGameOver, "gfx/gameover.png", -1),
    SQ_IMAGE(imgCreditsBack, "gfx/creditsBack.png", -1),
    SQ_IMAGE(imgRecord, "gfx/record.png", -1),
    SQ_IMAGE(imgPacco, "gfx/pacco.png", 1),
    SQ_IMAGE(imgFlash, "gfx/flash.png", -1),
    SQ_IMAGE(imgNuvole, "gfx/nuvole.png", 2),
    SQ_SOUND(sndPassi, "sfx/passi.ogg"),
    SQ_SOUND(sndPop, "sfx/pop.ogg"),
    SQ_SOUND(sndJump2, "sfx/jump2.ogg"),
    SQ_SOUND(sndCaduta, "sfx/caduta.ogg"),
    SQ_SOUND(sndAhh, "sfx\\ahh.ogg"),
    SQ_SOUND(sndLancio, "sfx\\lancio.ogg"),
    SQ_SOUND(sndMorto, "sfx\\morto.ogg"),
    SQ_SOUND(sndKey, "sfx\\Key.ogg"),
    SQ_SOUND(sndRide, "sfx\\RIDE.ogg"),
    SQ_SOUND(sndHoho, "sfx\\hoho.ogg"),
    SQ_JINGLE(sndDead, "sfx\\dead.ogg"),
    SQ_SOUND(sndTimclick, "sfx\\timclick.ogg"),
    SQ_JINGLE(sndGameOver, "sfx\\gameover.ogg"),
    SQ_JINGLE(sndCambioLivello, "sfx\\cambiolivello.ogg"),
};

#undef SQ_IMAGE
#undef SQ_STRIP
#undef SQ_SOUND
#undef SQ_JINGLE

// One already-loaded flag per global of the table.
std::vector<bool> loaded(table.size(), false);

}  // namespace

const std::vector<TResource>& ResourceTable() { return table; }

void LoadResources() {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (loaded[i]) continue;
        const TResource& r = table[i];
        if (r.image) {
            if (r.cellCount > 0)
                *r.image = LoadImageStrip(r.file, r.cellWidth, r.cellHeight, r.firstCell, r.cellCount, r.flags);
            else
                *r.image = LoadImageFrom(r.file, r.flags);
            NoteLoadedFile(*r.image, r.file);
        } else {
            *r.sound = (r.flags & kStreamedSound) ? OpenSoundStream(r.file, r.flags & 1, /*measure=*/true)
                                                  : LoadSoundFile(r.file, r.flags);
            NoteLoadedFile(*r.sound, r.file);
        }
        loaded[i] = true;
    }
}

void CenterResourceHandles() {
    for (ImageRef* image : {&imgNuvole, &imgPacco, &imgGameOver, &imgStartGFX, &imgHIScores, &imgInstruction,
                            &imgCredits, &imgQuit, &imgOptions})
        CenterImageHandle(*image);
    // The hurt flash is placed as a 32 x 30 burst would be, its corner 2
    // pixels left of and 1 above the player's frame; a larger burst grows
    // evenly around that spot, so that it shows past Santa on every side.
    if (imgFlash) {
        imgFlash->handleX = float(std::max(0, (imgFlash->width - kFlashPlaceWidth) / 2));
        imgFlash->handleY = float(std::max(0, (imgFlash->height - kFlashPlaceHeight) / 2));
    }
}

void ResetResources() {
    std::fill(loaded.begin(), loaded.end(), false);
    ForgetMissingFiles();
}
