"""The include checker fails on an upward include, an unknown folder and a
circle, and passes a tree whose includes point down."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check_includes.py")


def run_on(files):
    with tempfile.TemporaryDirectory() as src:
        for path, text in files.items():
            full = os.path.join(src, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        p = subprocess.run([sys.executable, CHECKER, src], capture_output=True, text=True)
        return p.returncode, p.stdout


class CheckIncludesTest(unittest.TestCase):
    def test_includes_that_point_down_pass(self):
        code, out = run_on({
            "platform/system/clock.h": "#pragma once\n",
            "platform/input/keyboard.cpp": '#include "platform/system/clock.h"\n#include "platform/replay/journal.h"\n',
            "platform/replay/journal.h": "#pragma once\n",
            "core/globals.h": '#include "platform/system/clock.h"\n#include "platform/input/keyboard.h"\n',
            "game/player.h": '#include "core/globals.h"\n',
            "game/player.cpp": '#include "game/player.h"\n#include <vector>\n',
            "app/main.cpp": '#include "game/player.h"\n',
        })
        self.assertEqual(code, 0, out)

    def test_an_upward_include_fails_and_names_the_line(self):
        code, out = run_on({
            "app/startup.h": "#pragma once\n",
            "game/player.cpp": '// the player\n#include "app/startup.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertIn("game/player.cpp:2: game/ may not include app/startup", out)

    def test_screens_may_not_reach_the_app_nor_scores_a_screen(self):
        code, out = run_on({
            "app/resources.h": "",
            "screens/fade.h": "",
            "screens/end_screens.cpp": '#include "app/resources.h"\n',
            "scores/hi_score.cpp": '#include "screens/fade.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertIn("screens/ may not include app/resources", out)
        self.assertIn("scores/ may not include screens/fade", out)

    def test_a_circle_between_files_of_one_folder_fails(self):
        code, out = run_on({
            "game/live_bar.h": "",
            "game/live_bar.cpp": '#include "game/main_game_loop.h"\n',
            "game/main_game_loop.h": "",
            "game/main_game_loop.cpp": '#include "game/live_bar.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertIn("circle", out)
        self.assertIn("game/live_bar", out)

    def test_platform_rooms_use_each_other_only_with_a_reason(self):
        code, out = run_on({
            "platform/video/graphics.h": "#pragma once\n",
            "platform/audio/mixer.cpp": '#include "platform/files/stream.h"\n#include "platform/video/graphics.h"\n',
            "platform/files/stream.h": "#pragma once\n",
            "platform/loose.cpp": "\n",
        })
        self.assertEqual(code, 1)
        self.assertIn("platform/audio/mixer.cpp:2: platform/audio/ may not include platform/video/graphics", out)
        self.assertNotIn("files/stream", out)
        self.assertIn("platform/loose: platform code lives in one of its rooms", out)

    def test_a_folder_outside_the_layers_fails(self):
        code, out = run_on({"extras/thing.cpp": "\n"})
        self.assertEqual(code, 1)
        self.assertIn("extras/", out)


if __name__ == "__main__":
    unittest.main()
