#!/usr/bin/python3
"""The page in headless Chromium: it loads clean, the water moves, the handles, the panels, the
scene files and links work, and its frames are the driver's to the byte.

Run as: browser_test.py --site build-web/site --cli build/bin/plashbox-cli
It serves the site on a free loopback port for its own run and stops the server afterwards."""
import argparse
import base64
import functools
import http.server
import os
import re
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

SITE = CLI = None
SEED = 1


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.js': 'text/javascript', '.wasm': 'application/wasm'}

    def log_message(self, *args):
        pass


def driver_frame(args):
    """The picture's bytes (RGB, top row first) that plashbox-cli writes after its options."""
    ppm = subprocess.run([CLI, '--seed', str(SEED), '--threads', '1', '--frame', '-'] + args,
                         check=True, capture_output=True).stdout
    # P6\nW H\n255\n then the pixels
    header_end = 0
    for _ in range(3):
        header_end = ppm.index(b'\n', header_end) + 1
    return ppm[header_end:]


def driver_reopened(path):
    """The scene file as the driver has it once opened, saved again at once."""
    return subprocess.run([CLI, '--seed', str(SEED), '--threads', '1', '--scene', path, '--steps', '0', '--save', '-'],
                          check=True, capture_output=True).stdout.decode('utf-8')


def driver_probe(steps, x, y):
    """The displacement at paint-area pixel (x, y) after each of ticks 1 to steps, as the driver's
    --probe prints it (nine significant digits give back the float)."""
    csv = subprocess.run([CLI, '--seed', str(SEED), '--threads', '1', '--steps', str(steps), '--probe', f'{x},{y}'],
                         check=True, capture_output=True).stdout.decode('ascii').splitlines()
    return [float(line.split(',')[1]) for line in csv[1:]]


def float32(value):
    return struct.unpack('<f', struct.pack('<f', value))[0]


def cli_args(steps, settings=(), events=()):
    args = ['--steps', str(steps)]
    for s in settings:
        args += ['--set', s]
    for e in events:
        text = f"{e['tick']}:{e['kind']}:{e['x']},{e['y']}"
        if e.get('button') == 2:
            text += ',right'
        if e.get('drip'):
            text += ',drip'
        args += ['--event', text]
    return args


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        handler = functools.partial(QuietHandler, directory=SITE)
        cls.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        cls.thread = threading.Thread(target=cls.server.serve_forever, daemon=True)
        cls.thread.start()
        cls.base = f'http://127.0.0.1:{cls.server.server_address[1]}/'
        cls.downloads = tempfile.TemporaryDirectory()
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for flag in ('--headless=new', '--no-sandbox', '--disable-dev-shm-usage', '--window-size=1100,760',
                     '--disable-gpu'):
            options.add_argument(flag)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        options.add_experimental_option('prefs', {'download.default_directory': cls.downloads.name})
        cls.driver = webdriver.Chrome(options=options, service=Service(executable_path='/usr/bin/chromedriver'))
        cls.driver.set_script_timeout(120)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()
        cls.server.server_close()
        cls.downloads.cleanup()

    def open(self, query='', fragment=''):
        self.driver.get('about:blank')  # a new fragment alone would not load the page again
        self.driver.get(self.base + query + fragment)
        WebDriverWait(self.driver, 60).until(
            lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def canvas_bytes(self):
        return self.js("const c = document.getElementById('tank');"
                       "return c.getContext('2d').getImageData(0, 0, c.width, c.height).data.join(',');")

    def choose(self, id, start):
        """Picks the first option of list id whose text starts so, as a click on it does (typing
        into a list would be the tank's keys)."""
        select = Select(self.driver.find_element(By.ID, id))
        select.select_by_visible_text(next(o.text for o in select.options if o.text.startswith(start)))
        return select

    def message(self):
        return self.driver.find_element(By.ID, 'message').text

    def severe_console_entries(self):
        return [e for e in self.driver.get_log('browser') if e['level'] == 'SEVERE']

    # --- loading and running ---
    def test_page_loads_without_console_errors_and_the_water_moves(self):
        self.driver.get_log('browser')  # what earlier pages left
        self.open()
        first = self.canvas_bytes()
        time.sleep(0.5)
        second = self.canvas_bytes()
        self.assertNotEqual(first, second, 'two captures half a second apart are the same picture')
        self.assertEqual(self.severe_console_entries(), [])
        self.assertEqual(self.message(), '')

    # --- the controls ---
    def test_dragging_the_beam_handle_moves_the_source(self):
        self.open('?hold')
        canvas = self.driver.find_element(By.ID, 'tank')
        width, height = canvas.size['width'], canvas.size['height']
        # The beam's double arrow stands at a tenth of the width, centred on the height; the
        # offsets are from the element's centre.
        actions = ActionChains(self.driver)
        actions.move_to_element_with_offset(canvas, 40 - width // 2, 200 - height // 2).click_and_hold()
        actions.move_by_offset(0, 40).move_by_offset(0, 40).release().perform()
        log = self.js('return plashboxTest.pointerLog()')
        self.assertEqual([e['kind'] for e in (log[0], log[-1])], ['down', 'up'])
        # The page has ticked once since it loaded: its pointer events came before tick 2.
        events = [dict(e, tick=2) for e in log]
        page = base64.b64decode(self.js('return plashboxTest.runTicks(59)'))
        self.assertEqual(page, driver_frame(cli_args(60, events=events)))
        self.assertNotEqual(page, driver_frame(cli_args(60)), 'the source stayed where it was')

    def test_the_wavelength_slider_is_reached_by_tab_and_changes_the_wavelength(self):
        self.open()
        before = float(self.js("return plashboxTest.get('TGeneralExciter', 'Wavelength')"))
        self.driver.find_element(By.ID, 'beam-type').click()
        body = self.driver.switch_to.active_element
        for _ in range(12):
            if body.get_attribute('id') == 'wavelength':
                break
            body.send_keys(Keys.TAB)
            body = self.driver.switch_to.active_element
        self.assertEqual(body.get_attribute('id'), 'wavelength', 'Tab never reached the wavelength slider')
        for _ in range(5):
            body.send_keys(Keys.ARROW_RIGHT)
        after = float(self.js("return plashboxTest.get('TGeneralExciter', 'Wavelength')"))
        self.assertEqual(after, before + 5)
        self.assertIn(f'{after:.1f}mm', self.driver.find_element(By.ID, 'wavelength-label').text)

    def test_the_beam_type_shows_its_own_controls(self):
        self.open()
        self.choose('beam-type', 'Double')
        self.assertEqual(self.js("return plashboxTest.get('TGeneralExciter', 'BeamType')"), '3')
        time.sleep(0.3)
        self.assertTrue(self.driver.find_element(By.ID, 'detune').is_displayed())
        self.assertFalse(self.driver.find_element(By.ID, 'mach').is_displayed())

    def test_the_view_panel_switches_the_intensity_colours_and_brightness(self):
        self.open()
        get = lambda prop: self.js(f"return plashboxTest.get('TWater', '{prop}')")
        self.driver.find_element(By.ID, 'intensity').click()
        self.assertEqual(get('IntensityView'), 'True')
        self.driver.find_element(By.TAG_NAME, 'body').send_keys('i')
        self.assertEqual(get('IntensityView'), 'False', 'the I key switches back')
        self.choose('colour-scheme', 'High')
        self.assertEqual(get('ColourScheme'), 'csHighContrast')
        brightness = self.driver.find_element(By.ID, 'brightness')
        brightness.send_keys(Keys.END)
        self.assertAlmostEqual(float(get('Exposure')), 0.255, places=5)

    # --- the measuring tools ---
    def canvas_pixels(self, id):
        return self.js(f"const c = document.getElementById('{id}');"
                       "return c.getContext('2d').getImageData(0, 0, c.width, c.height).data.join(',');")

    def test_a_probe_graphs_the_drivers_displacement_and_reads_the_source_period(self):
        self.open('?hold')
        self.assertFalse(self.driver.find_element(By.ID, 'probe-panel').is_displayed())
        self.driver.find_element(By.ID, 'probe').click()
        self.js('plashboxTest.runTicks(600)')  # the beam reaches the probe after some 330
        panel = self.driver.find_element(By.ID, 'probe-panel')
        self.assertTrue(panel.is_displayed())
        probe = self.js('return plashboxTest.probes()')['probes'][0]
        # Added after the page's first tick, the probe's graph holds ticks 202 to 601 of the
        # driver's run.
        trace = self.js('return plashboxTest.probeTrace(0, 400)')
        self.assertEqual(len(trace), 400)
        self.assertEqual(trace, [float32(v) for v in driver_probe(601, probe['x'], probe['y'])[-400:]])
        # The panel shows the frame logic's text, and its period is the beam's.
        row = panel.find_element(By.CSS_SELECTOR, '#probe-readings li').text
        self.assertEqual(row, probe['reading'])
        hertz = float(re.fullmatch(r'[\d.]+ steps, ([\d.]+) Hz, p-p [\d.e+-]+', row).group(1))
        source = self.js("return plashboxTest.frequencyOfWavelength("
                         "Number(plashboxTest.get('TGeneralExciter', 'Wavelength')))")
        self.assertAlmostEqual(hertz, source, delta=0.03 * source)
        before = self.canvas_pixels('probe-graph')
        self.js('plashboxTest.runTicks(7)')
        self.assertNotEqual(before, self.canvas_pixels('probe-graph'), 'the graph stood still')

    def test_four_probes_grey_the_button_and_delete_and_undo_follow_the_window(self):
        self.open('?hold')
        count = lambda: len(self.js('return plashboxTest.probes()')['probes'])
        button = self.driver.find_element(By.ID, 'probe')
        button.click()
        button.click()
        body = self.driver.find_element(By.TAG_NAME, 'body')
        body.send_keys('p')
        body.send_keys('p')
        self.assertEqual(count(), 4)
        self.assertFalse(button.is_enabled(), 'the fifth probe is offered')
        body.send_keys('p')
        self.assertEqual(count(), 4)
        self.assertEqual(len(self.driver.find_elements(By.CSS_SELECTOR, '#probe-readings li')), 4)
        self.assertEqual(len({p['colour'] for p in self.js('return plashboxTest.probes()')['probes']}), 4)
        # A press on the last probe selects it and drags it; Delete then removes that one.
        last = self.js('return plashboxTest.probes()')['probes'][3]
        canvas = self.driver.find_element(By.ID, 'tank')
        w, h = canvas.size['width'], canvas.size['height']
        ActionChains(self.driver).move_to_element_with_offset(canvas, last['x'] - w // 2, last['y'] - h // 2) \
            .click_and_hold().move_by_offset(0, 30).release().perform()
        moved = self.js('return plashboxTest.probes()')['probes'][3]
        self.assertTrue(moved['selected'])
        self.assertEqual((moved['x'], moved['y']), (last['x'], last['y'] + 30))
        self.assertTrue(self.driver.find_element(By.ID, 'probe-panel').get_attribute('class').endswith('selected'))
        body.send_keys(Keys.DELETE)
        self.assertEqual(count(), 3)
        self.assertTrue(button.is_enabled())
        self.assertEqual(len(self.driver.find_elements(By.CSS_SELECTOR, '#probe-readings li')), 3)
        self.driver.find_element(By.ID, 'undo').click()
        self.assertEqual(count(), 4)
        for _ in range(5):  # the drag, then the four added probes
            self.driver.find_element(By.ID, 'undo').click()
        self.assertEqual(count(), 0)
        self.assertFalse(self.driver.find_element(By.ID, 'probe-panel').is_displayed())

    def test_probes_added_apart_show_their_phase_and_the_beats_slide_its_beat(self):
        self.open('?hold')
        body = self.driver.find_element(By.TAG_NAME, 'body')
        body.send_keys('p')
        self.js('plashboxTest.runTicks(250)')
        body.send_keys('p')  # its trace is 250 steps shorter than the first one's
        self.js('plashboxTest.runTicks(250)')
        report = self.js('return plashboxTest.probes()')
        self.assertRegex(report['phase'], r'^2 (lags|leads) 1 by \d+\u00b0$')
        self.assertEqual(self.driver.find_element(By.ID, 'probe-phase').text, report['phase'])
        # Between the beats slide's two sources, as strong as each other: the wave under the beat
        # at the mean of their frequencies, the beat at their difference, and no phase.
        self.driver.find_element(By.ID, 'experiment').send_keys('Beats')
        self.assertIn('Beats', self.driver.find_element(By.ID, 'slide').text)
        body.send_keys('p')
        body.send_keys('p')
        self.js('plashboxTest.runTicks(1100)')
        report = self.js('return plashboxTest.probes()')
        row = report['probes'][0]['reading']
        match = re.fullmatch(r'([\d.]+) Hz, beat ([\d.]+) Hz, p-p [\d.e+-]+', row)
        self.assertIsNotNone(match, row)
        first = self.js("return plashboxTest.frequencyOfWavelength("
                        "Number(plashboxTest.get('TGeneralExciter', 'Wavelength')))")
        second = first * float(self.js("return plashboxTest.get('TGeneralExciter', 'Detune')"))
        self.assertAlmostEqual(float(match.group(1)), (first + second) / 2, delta=0.03)
        self.assertAlmostEqual(float(match.group(2)), second - first, delta=0.02)
        self.assertEqual(report['phase'], 'no phase: the frequencies differ')
        self.assertEqual(self.driver.find_element(By.ID, 'probe-phase').text, report['phase'])

    def test_the_tool_buttons_are_reached_by_tab(self):
        self.open('?hold')
        self.driver.find_element(By.ID, 'wall').click()
        reached = []
        for _ in range(2):
            self.driver.switch_to.active_element.send_keys(Keys.TAB)
            reached.append(self.driver.switch_to.active_element.get_attribute('id'))
        self.assertEqual(reached, ['probe', 'screen'])
        self.driver.switch_to.active_element.send_keys(Keys.SHIFT, Keys.TAB)
        self.driver.switch_to.active_element.send_keys(Keys.ENTER)
        self.assertEqual(len(self.js('return plashboxTest.probes()')['probes']), 1, 'Enter on Probe adds one')

    def test_the_screen_shows_the_maxima_of_the_double_slit(self):
        self.open('?hold')
        self.choose('experiment', 'Double')
        self.assertIn('Double slit', self.driver.find_element(By.ID, 'slide').text)
        self.driver.find_element(By.TAG_NAME, 'body').send_keys('s')
        self.js('plashboxTest.runTicks(900)')
        screen = self.js('return plashboxTest.screen()')
        self.assertTrue(self.driver.find_element(By.ID, 'screen-panel').is_displayed())
        self.assertRegex(screen['reading'], r'^maxima at [\d.]+(, [\d.]+)+ cells$')
        self.assertEqual(self.driver.find_element(By.ID, 'screen-maxima').text, screen['reading'])
        self.assertGreaterEqual(len(screen['maxima']), 2)
        graph = self.canvas_pixels('screen-graph').split(',')
        self.assertTrue(any(v != '0' for v in graph[3::4]), 'the profile is not drawn')
        # The screen's second handle follows the pointer as the other handles do.
        x1, y1, x2, y2 = screen['handles']
        canvas = self.driver.find_element(By.ID, 'tank')
        w, h = canvas.size['width'], canvas.size['height']
        ActionChains(self.driver).move_to_element_with_offset(canvas, x2 - w // 2, y2 - h // 2) \
            .click_and_hold().move_by_offset(-20, 0).release().perform()
        self.assertEqual(self.js('return plashboxTest.screen()')['handles'], [x1, y1, x2 - 20, y2])

    def test_a_frame_with_a_dragged_probe_and_screen_equals_the_drivers(self):
        self.open('?hold')
        self.driver.find_element(By.ID, 'probe').click()
        self.driver.find_element(By.ID, 'screen').click()
        probe = self.js('return plashboxTest.probes()')['probes'][0]
        x1, y1, _, _ = self.js('return plashboxTest.screen()')['handles']
        path = self.write_scene(self.js('return plashboxTest.sceneXml()'))
        events = [dict(tick=10, kind='down', x=probe['x'], y=probe['y']),
                  dict(tick=11, kind='move', x=probe['x'] - 40, y=probe['y'] + 25),
                  dict(tick=12, kind='up', x=probe['x'] - 40, y=probe['y'] + 25),
                  dict(tick=20, kind='down', x=x1, y=y1),
                  dict(tick=21, kind='move', x=x1 - 30, y=y1 + 15),
                  dict(tick=22, kind='up', x=x1 - 30, y=y1 + 15)]
        with open(path, encoding='utf-8') as f:
            scene = f.read()
        page = base64.b64decode(self.js('return plashboxTest.frameAfter(arguments[0])',
                                        {'steps': 150, 'scene': scene, 'events': events}))
        args = ['--scene', path] + cli_args(150, events=events)
        self.assertEqual(page, driver_frame(args))
        self.assertNotEqual(page, driver_frame(['--scene', path, '--steps', '150']), 'the drags moved nothing')

    def test_the_maths_agree_with_the_native_build(self):
        # The digest that tests/grid/ExactMathTest.cpp pins for the native build: 200,000
        # arguments each of the sine, cosine, exponential and atan2.
        self.open('?hold')
        self.assertEqual(self.js('return plashboxTest.mathDigest(200000)'), '3201e02e734efb74')

    # --- the window's keys, whatever has the focus ---
    def press(self, *keys):
        """Keys pressed into whatever has the focus, as a user types them."""
        ActionChains(self.driver).send_keys(*keys).perform()

    def press_with(self, modifiers, key):
        chain = ActionChains(self.driver)
        for m in modifiers:
            chain.key_down(m)
        chain.send_keys(key)
        for m in reversed(modifiers):
            chain.key_up(m)
        chain.perform()

    def test_after_a_list_is_used_s_and_p_add_a_screen_and_a_probe_not_pick_an_item(self):
        self.open('?hold')
        self.choose('experiment', 'Double')
        experiment = self.driver.find_element(By.ID, 'experiment')
        slide = self.js('return plashboxTest.slideIndex()')
        self.driver.execute_script("document.getElementById('experiment').focus()")  # as a choice by mouse leaves it
        self.assertEqual(self.driver.switch_to.active_element.get_attribute('id'), 'experiment')
        self.press('s')
        self.press('p')
        self.assertIsNotNone(self.js('return plashboxTest.screen()'), 'S picked an experiment instead')
        self.assertEqual(len(self.js('return plashboxTest.probes()')['probes']), 1, 'P picked an experiment instead')
        self.assertEqual(self.js('return plashboxTest.slideIndex()'), slide)
        self.assertEqual(experiment.get_attribute('value'), str(slide))
        # A button clicked keeps the focus unseen: Space is still the pause key.
        self.driver.find_element(By.ID, 'clear').click()
        self.press(Keys.SPACE)
        self.assertTrue(self.js('return plashboxTest.paused()'))
        # A button reached with Tab shows its focus and takes Space itself, as in the window.
        probes = len(self.js('return plashboxTest.probes()')['probes'])
        self.driver.execute_script("document.getElementById('probe').focus()")
        self.press_with([Keys.SHIFT], Keys.TAB)
        self.press(Keys.TAB)
        self.assertEqual(self.driver.switch_to.active_element.get_attribute('id'), 'probe')
        self.press(Keys.SPACE)
        self.assertTrue(self.js('return plashboxTest.paused()'), 'Space on a focused button paused or resumed')
        self.assertEqual(len(self.js('return plashboxTest.probes()')['probes']), probes + 1)
        # A text field keeps the keys it types with.
        field = self.driver.find_element(By.ID, 'wall-width')
        self.driver.find_element(By.ID, 'wall').click()
        field.click()
        self.press('p', Keys.DELETE)
        self.assertEqual(len(self.js('return plashboxTest.probes()')['probes']), probes + 1,
                         'typing into a field added a probe')
        self.assertTrue(self.js("return plashboxTest.has('TBarrier')"), 'Delete in a field removed the wall')

    def test_the_panels_show_an_experiments_values_as_they_are(self):
        """The glass of total internal reflection is n 0.3 (index 1.83), the beats' detune 1.15:
        between two slider steps, shown as they are and kept, as in the window."""
        self.open('?hold')
        self.choose('experiment', 'Total internal')
        self.assertEqual(self.driver.find_element(By.ID, 'index-label').get_attribute('value'), '1.83')
        self.choose('experiment', 'Beats')
        self.assertEqual(self.driver.find_element(By.ID, 'detune-label').get_attribute('value'), '1.15x')
        self.choose('experiment', 'Total internal')
        self.assertEqual(self.driver.find_element(By.ID, 'index-label').get_attribute('value'), '1.83')

    def test_the_windows_keys_drive_the_page(self):
        self.open('?hold')
        names = {b['name'] for b in self.js('return plashboxTest.keyBindings()')}
        self.assertLessEqual({'PauseKey', 'StepKey', 'SlowerKey', 'FasterKey', 'WallKey', 'ClearKey', 'DripKey',
                              'UndoKey', 'RedoKey', 'PreviousSlideKey', 'NextSlideKey', 'HelpKey', 'FullScreenKey'},
                             names)
        self.driver.find_element(By.ID, 'tank').click()
        self.js('plashboxTest.runTicks(100)')  # waves that show a step
        self.press(Keys.SPACE)
        self.assertTrue(self.js('return plashboxTest.paused()'))
        self.js('plashboxTest.hold(false)')  # the page runs, the water paused: only "." moves it
        time.sleep(0.1)  # a paused frame drawn (the running ones drew as they stepped)
        still = self.canvas_bytes()
        time.sleep(0.2)
        self.assertTrue(still == self.canvas_bytes(), 'the paused water moved')
        self.press('.')
        # The step shows with the next frame's picture.
        WebDriverWait(self.driver, 5).until(lambda d: self.canvas_bytes() != still, '"." did not step the water')
        self.press(Keys.SPACE)
        self.assertFalse(self.js('return plashboxTest.paused()'))
        self.js('plashboxTest.hold(true)')
        self.press('[')
        self.assertEqual(self.js('return plashboxTest.speed()'), 1)
        self.press(']', ']')
        self.assertEqual(self.js('return plashboxTest.speed()'), 3)
        self.assertEqual(self.driver.find_element(By.ID, 'speed').get_attribute('value'), '3')
        self.press('d')
        self.assertEqual(self.driver.find_element(By.ID, 'drip').get_attribute('aria-pressed'), 'true')
        self.assertTrue(self.js('return plashboxTest.dripping()'), 'the key D and the button are one tool')
        self.press('d')
        self.assertEqual(self.driver.find_element(By.ID, 'drip').get_attribute('aria-pressed'), 'false')
        self.assertFalse(self.js('return plashboxTest.dripping()'))
        self.press('w')
        self.assertTrue(self.js("return plashboxTest.has('TBarrier')"))
        self.press_with([Keys.CONTROL], 'z')
        self.assertFalse(self.js("return plashboxTest.has('TBarrier')"), 'Ctrl+Z kept the wall')
        self.press_with([Keys.CONTROL, Keys.SHIFT], 'z')
        self.assertTrue(self.js("return plashboxTest.has('TBarrier')"), 'Ctrl+Shift+Z did not bring it back')
        self.press_with([Keys.CONTROL], 'z')
        self.press_with([Keys.CONTROL], 'y')
        self.assertTrue(self.js("return plashboxTest.has('TBarrier')"), 'Ctrl+Y did not bring it back')
        # C clears the waves: the probe in the middle, long reached by the beam, reads still water.
        self.press('p')
        self.js('plashboxTest.runTicks(600)')
        self.assertNotEqual(self.js('return plashboxTest.probeTrace(0, 1)'), [0])
        self.press('c')
        self.js('plashboxTest.runTicks(1)')
        self.assertEqual(self.js('return plashboxTest.probeTrace(0, 1)'), [0])
        self.choose('experiment', 'Double')
        first = self.js('return plashboxTest.slideIndex()')
        self.press(Keys.PAGE_DOWN)
        self.assertEqual(self.js('return plashboxTest.slideIndex()'), first + 1)
        self.assertEqual(self.driver.find_element(By.ID, 'experiment').get_attribute('value'), str(first + 1))
        self.press(Keys.PAGE_UP)
        self.assertEqual(self.js('return plashboxTest.slideIndex()'), first)
        # Ctrl+S downloads the scene; F11 fills the screen with the tank, and again gives it back.
        saved = self.js('return plashboxTest.sceneXml()')
        self.press_with([Keys.CONTROL], 's')
        self.assertEqual(self.downloaded('scene.xml').decode('utf-8'), saved)
        self.press(Keys.F11)
        WebDriverWait(self.driver, 10).until(lambda d: d.execute_script('return plashboxTest.size()') != [401, 401])
        self.press(Keys.F11)
        WebDriverWait(self.driver, 10).until(lambda d: d.execute_script('return plashboxTest.size()') == [401, 401])

    def test_f1_opens_the_help_and_the_help_and_about_are_pages_of_the_site(self):
        self.open('?hold')
        before = set(self.driver.window_handles)
        self.driver.find_element(By.ID, 'tank').click()
        self.press(Keys.F1)
        WebDriverWait(self.driver, 10).until(lambda d: len(d.window_handles) > len(before))
        main = self.driver.current_window_handle
        (opened,) = set(self.driver.window_handles) - before
        self.driver.switch_to.window(opened)
        try:
            WebDriverWait(self.driver, 10).until(lambda d: d.title != '')
            self.assertTrue(self.driver.current_url.startswith(self.base + 'help/'), self.driver.current_url)
        finally:
            self.driver.close()
            self.driver.switch_to.window(main)
        bindings = self.js('return plashboxTest.keyBindings()')
        for page in ('help/index.html', 'help/about.html', 'help/controls.html'):
            self.driver.get(self.base + page)
            body = self.driver.find_element(By.TAG_NAME, 'body').text
            self.assertNotIn('@', self.driver.page_source, f'{page} has a blank left unfilled')
            self.assertIn('Plashbox', body, page)
        # The help's keys table is the table the page takes its keys from.
        for binding in bindings:
            self.assertIn(binding['description'], body)
        self.open('?hold')
        self.assertEqual(self.driver.find_element(By.ID, 'about').get_attribute('href'), self.base + 'help/about.html')

    # --- the wall's slits ---
    def test_a_slit_as_long_as_the_wall_is_refused_and_the_field_keeps_the_old_width(self):
        self.open('?hold')
        self.driver.find_element(By.ID, 'wall').click()
        get = lambda prop: self.js(f"return plashboxTest.get('TBarrier', '{prop}')")
        slits = self.driver.find_element(By.ID, 'wall-slits-slider')
        slits.send_keys(Keys.HOME, Keys.ARROW_RIGHT)
        self.assertEqual(get('Slits'), '1')
        field = self.driver.find_element(By.ID, 'wall-width')
        self.assertEqual(field.get_attribute('value'), '6')
        # A stale digit before what was meant: 6 then 10 typed gives 610.
        field.click()
        field.send_keys(Keys.END, '10', Keys.TAB)
        self.assertEqual(get('SlitWidth'), '6', 'a slit wider than the wall was taken')
        self.assertEqual(field.get_attribute('value'), '6', 'the refused value stayed in the field')
        message = self.driver.find_element(By.ID, 'wall-message')
        self.assertTrue(message.is_displayed())
        self.assertIn('narrower than the wall', message.text)
        # The widest slit the field offers still leaves a wall, and the message goes.
        widest = field.get_attribute('max')
        self.assertLess(int(widest), 401)
        field.click()
        field.send_keys(Keys.CONTROL, 'a')
        field.send_keys(widest, Keys.TAB)
        self.assertEqual(get('SlitWidth'), widest)
        self.assertFalse(message.is_displayed())
        self.assertTrue(self.js("return plashboxTest.has('TBarrier')"))

    def test_the_walls_sliders_set_its_slits_with_the_windows_ranges(self):
        self.open('?hold')
        self.driver.find_element(By.ID, 'wall').click()
        get = lambda prop: self.js(f"return plashboxTest.get('TBarrier', '{prop}')")
        for id, end, prop, value in (('wall-slits-slider', Keys.END, 'Slits', '12'),
                                     ('wall-width-slider', Keys.END, 'SlitWidth', '60'),
                                     ('wall-spacing-slider', Keys.HOME, 'SlitSpacing', '4'),
                                     ('wall-thickness-slider', Keys.END, 'Thickness', '20')):
            with self.subTest(prop):
                self.driver.find_element(By.ID, id).send_keys(end)
                self.assertEqual(get(prop), value)
        self.assertEqual(self.driver.find_element(By.ID, 'wall-width').get_attribute('value'), '60')
        self.assertIn('12', self.driver.find_element(By.ID, 'wall-slits-label').text)
        # A slider's drag is one edit: one undo takes the thickness back.
        self.driver.find_element(By.ID, 'undo').click()
        self.assertEqual(get('Thickness'), '3')

    # --- the map, the size of the tank and the layout ---
    def test_the_map_list_makes_a_lens_or_a_prism_of_the_block(self):
        self.open('?hold')
        maps = [o.text for o in Select(self.driver.find_element(By.ID, 'map')).options]
        self.assertEqual(len(maps), 3)
        self.assertEqual(self.js('return plashboxTest.mapIndex()'), 0)
        n = self.js("return plashboxTest.get('TBaseRIControlRIMapper', 'n')")
        Select(self.driver.find_element(By.ID, 'map')).select_by_index(1)
        self.assertEqual(self.js('return plashboxTest.mapIndex()'), 1)
        self.assertTrue(self.js("return plashboxTest.has('TLensRIMapper')"))
        self.assertEqual(self.js("return plashboxTest.get('TBaseRIControlRIMapper', 'n')"), n, 'the index was lost')
        Select(self.driver.find_element(By.ID, 'map')).select_by_index(2)
        self.assertTrue(self.js("return plashboxTest.has('TPrismRIMapper')"))
        self.driver.find_element(By.ID, 'undo').click()
        self.driver.find_element(By.ID, 'undo').click()
        self.assertEqual(self.js('return plashboxTest.mapIndex()'), 0)
        self.assertEqual(self.driver.find_element(By.ID, 'map').get_attribute('value'), '0')

    def layout(self):
        return self.js("""
            const box = (id) => document.getElementById(id).getBoundingClientRect().toJSON();
            const c = document.getElementById('tank');
            return { scrollWidth: document.documentElement.scrollWidth, scrollHeight: document.documentElement.scrollHeight,
                     width: innerWidth, height: innerHeight, tank: box('tank'), panels: box('panels'),
                     cells: [c.width, c.height],
                     smallest: Math.min(...[...document.querySelectorAll('nav button, nav select')]
                                            .map((e) => e.getBoundingClientRect().height)) };""")

    def at_window_size(self, width, height):
        self.driver.set_window_size(width, height)
        self.addCleanup(self.driver.set_window_size, 1100, 760)
        WebDriverWait(self.driver, 5).until(lambda d: d.execute_script('return innerWidth') <= width)
        self.open('?hold')

    def screenshot(self, name):
        """With PLASHBOX_SCREENSHOTS=dir, the page as it looks, for a person to see."""
        folder = os.environ.get('PLASHBOX_SCREENSHOTS')
        if folder:
            self.driver.save_screenshot(os.path.join(folder, name))

    def test_a_1920_by_1080_tank_is_shown_whole_in_a_1920_by_1080_window(self):
        self.at_window_size(1920, 1080)
        self.choose('shape', '1920 x 1080')
        time.sleep(0.2)
        view = self.layout()
        self.assertEqual(view['cells'], [1920, 1080])
        self.assertLessEqual(view['scrollWidth'], view['width'], 'the page scrolls sideways')
        self.assertLessEqual(view['scrollHeight'], view['height'], 'the page scrolls down')
        self.assertLessEqual(view['panels']['right'], view['width'], 'the panels are off the right')
        self.assertLessEqual(view['tank']['right'], view['panels']['left'])
        self.assertAlmostEqual(view['tank']['width'] / view['tank']['height'], 1920 / 1080, delta=0.01)
        self.screenshot('page-1920x1080-big-tank.png')
        # A pointer on the smaller picture reaches the tank's cell under it.
        canvas = self.driver.find_element(By.ID, 'tank')
        ActionChains(self.driver).move_to_element_with_offset(canvas, 0, 0).click().perform()
        log = self.js('return plashboxTest.pointerLog()')
        self.assertAlmostEqual(log[0]['x'], 960, delta=3)
        self.assertAlmostEqual(log[0]['y'], 540, delta=3)

    def test_the_layout_fits_a_laptop_a_projector_and_a_tablet(self):
        for width, height, beside in ((1366, 768, True), (1920, 1080, True), (800, 1280, False)):
            with self.subTest(f'{width}x{height}'):
                self.at_window_size(width, height)
                self.driver.find_element(By.ID, 'wall').click()
                view = self.layout()
                self.assertLessEqual(view['scrollWidth'], view['width'], 'the page scrolls sideways')
                self.assertLessEqual(view['panels']['right'], view['width'])
                if beside:
                    self.assertLessEqual(view['tank']['right'], view['panels']['left'])
                else:
                    self.assertGreaterEqual(view['panels']['top'], view['tank']['bottom'], 'the panels are not under the tank')
                self.assertGreaterEqual(view['smallest'], 32, 'a control too small to touch')
                self.screenshot(f'page-{width}x{height}.png')

    def test_fill_window_makes_the_tank_as_big_as_the_window_and_back(self):
        self.at_window_size(1366, 768)
        self.driver.find_element(By.ID, 'fill').click()
        view = self.layout()
        width, height = view['cells']
        self.assertGreater(width, 800)
        self.assertGreater(height, 401)
        self.assertLess(view['height'] - view['tank']['bottom'], 80, 'the tank stops short of the foot')
        self.assertEqual((view['tank']['width'], view['tank']['height']), (width, height), 'the filled tank is scaled')
        self.assertLessEqual(view['scrollWidth'], view['width'])
        self.assertLessEqual(view['scrollHeight'], view['height'])
        self.screenshot('page-1366x768-filled.png')
        self.driver.find_element(By.ID, 'fill').click()
        self.assertEqual(self.js('return plashboxTest.size()'), [401, 401])

    # --- the experiments chooser ---
    def test_the_experiments_chooser_shows_pictures_and_descriptions_and_opens_the_chosen(self):
        self.open('?hold')
        self.driver.find_element(By.ID, 'experiments').click()
        dialog = self.driver.find_element(By.ID, 'chooser')
        self.assertTrue(dialog.is_displayed())
        items = dialog.find_elements(By.CSS_SELECTOR, '#chooser-list button')
        names = [o.text for o in Select(self.driver.find_element(By.ID, 'experiment')).options][1:]
        self.assertEqual([i.text for i in items], [f'{n + 1}. {name}' for n, name in enumerate(names)])
        # Every picture is drawn, the last one too, and they differ from one another.
        pictures = lambda: self.js("return [...document.querySelectorAll('#chooser-list canvas')].map((c) =>"
                                   " c.width === 161 ? c.getContext('2d').getImageData(0, 0, 161, 161).data.join() : '')")
        WebDriverWait(self.driver, 60).until(lambda d: all(pictures()))
        self.assertEqual(len(set(pictures())), len(items))
        items[2].click()
        description = self.driver.find_element(By.ID, 'chooser-description').text
        self.assertNotEqual(description, '')
        ActionChains(self.driver).double_click(items[2]).perform()
        self.assertFalse(dialog.is_displayed())
        self.assertEqual(self.js('return plashboxTest.slideIndex()'), 2)
        self.assertIn(description, self.driver.find_element(By.ID, 'slide').text)
        self.screenshot('page-chooser.png')

    # --- scene files and links ---
    def write_scene(self, text):
        path = os.path.join(self.downloads.name, f'scene{time.monotonic_ns()}.xml')
        with open(path, 'w', encoding='utf-8', newline='') as f:
            f.write(text)
        return path

    def test_a_saved_scene_opened_again_gives_the_drivers_frame(self):
        self.open('?hold')
        self.choose('beam-type', 'Point')
        saved = self.js('return plashboxTest.sceneXml()')
        path = self.write_scene(saved)
        self.driver.find_element(By.ID, 'open').send_keys(path)
        # The desktop program would hold the same scene once it opened the file.
        reopened = driver_reopened(path)
        WebDriverWait(self.driver, 10).until(lambda d: d.execute_script('return plashboxTest.sceneXml()') == reopened)
        self.assertEqual(self.message(), '')
        self.assertIn('open', self.driver.find_element(By.ID, 'undo').get_attribute('title'))
        page = base64.b64decode(self.js('return plashboxTest.runTicks(60)'))
        self.assertEqual(page, driver_frame(['--scene', path, '--steps', '60']))

    def test_two_blocks_a_lens_and_two_walls_run_as_the_driver_runs_them(self):
        # Every medium of the scene shapes the water; a press inside one selects it for the panel.
        # The objects carry their IDs, so that the page and the driver hold the very same scene.
        scene = ('<TSlideshow ActiveID="1" TankWidth="401" TankHeight="401"><TWater UniqueID="1">'
                 '<TGeneralExciter UniqueID="11" BeamType="1"/>'
                 '<TBlockRIMapper UniqueID="12" n="0.4" CentreXPercent="35" CentreYPercent="70" WidthPercentage="20" HeightPercentage="20"/>'
                 '<TBlockRIMapper UniqueID="13" n="0.7" CentreXPercent="70" CentreYPercent="30" WidthPercentage="25" HeightPercentage="15" Cs="0.8" Sn="0.6"/>'
                 '<TLensRIMapper UniqueID="14" n="0.5" CentreXPercent="70" CentreYPercent="75" DiameterPercent="30"/>'
                 '<TBarrier UniqueID="15" X1Percent="50" Y1Percent="0" X2Percent="50" Y2Percent="40" Slits="2" SlitWidth="8" SlitSpacing="40"/>'
                 '<TBarrier UniqueID="16" X1Percent="20" Y1Percent="10" X2Percent="40" Y2Percent="30"/>'
                 '</TWater></TSlideshow>')
        self.open('?hold')
        path = self.write_scene(scene)
        self.driver.find_element(By.ID, 'open').send_keys(path)
        reopened = driver_reopened(path)
        WebDriverWait(self.driver, 10).until(lambda d: d.execute_script('return plashboxTest.sceneXml()') == reopened)
        self.assertEqual(self.message(), '')
        self.assertEqual(reopened.count('<TBlockRIMapper'), 2)
        page = base64.b64decode(self.js('return plashboxTest.runTicks(60)'))
        self.assertEqual(page, driver_frame(['--scene', path, '--steps', '60']))
        # The first block's body, clear of its handles: paint-area (140, 120) in a 401 x 401 tank.
        canvas = self.driver.find_element(By.ID, 'tank')
        width, height = canvas.size['width'], canvas.size['height']
        ActionChains(self.driver).move_to_element_with_offset(canvas, 150 - width // 2, 110 - height // 2) \
            .click().perform()
        WebDriverWait(self.driver, 5).until(
            lambda d: d.find_element(By.ID, 'index-label').text == '1.58')
        # The index slider sets the selected block's index only, as the window's panel does.
        def indexes():
            return re.findall(r'<TBlockRIMapper[^>]* n="([^"]*)"', self.js('return plashboxTest.sceneXml()'))
        before = indexes()
        self.assertEqual(len(before), 2)
        self.driver.execute_script(
            "const s = document.getElementById('index'); s.value = 2; s.dispatchEvent(new Event('input'))")
        after = indexes()
        self.assertNotEqual(after[0], before[0], 'the selected block kept its index')
        self.assertEqual(after[1], before[1], 'the other block took the edit too')

    def test_the_save_button_downloads_the_running_scene(self):
        self.open('?hold')
        saved = self.js('return plashboxTest.sceneXml()')
        self.driver.find_element(By.ID, 'save').click()
        self.assertEqual(self.downloaded('scene.xml').decode('utf-8'), saved)

    def downloaded(self, name):
        """The bytes of the file the page downloads as name, once it is there whole."""
        target = os.path.join(self.downloads.name, name)
        WebDriverWait(self.driver, 20).until(lambda d: os.path.exists(target) and os.path.getsize(target) > 0)
        with open(target, 'rb') as f:
            data = f.read()
        os.remove(target)
        return data

    def decoded_png(self, png):
        """The RGBA bytes of a PNG as the browser decodes it, in canvas_bytes' form."""
        return self.driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "const bytes = Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0));"
            "createImageBitmap(new Blob([bytes], { type: 'image/png' })).then((bitmap) => {"
            "  const c = new OffscreenCanvas(bitmap.width, bitmap.height), g = c.getContext('2d');"
            "  g.drawImage(bitmap, 0, 0);"
            "  done(g.getImageData(0, 0, c.width, c.height).data.join(','));"
            "});", base64.b64encode(png).decode('ascii'))

    def test_save_picture_and_its_key_download_the_tank_as_shown(self):
        self.open('?hold')
        self.js('plashboxTest.runTicks(60)')
        shown = self.canvas_bytes()
        self.driver.find_element(By.ID, 'save-picture').click()
        png = self.downloaded('plashbox.png')
        self.assertEqual(png[:8], b'\x89PNG\r\n\x1a\n')
        self.assertEqual(self.decoded_png(png), shown)
        # Ctrl+P is the window's Save Picture, and the page's, not the browser's printing.
        ActionChains(self.driver).key_down(Keys.CONTROL).send_keys('p').key_up(Keys.CONTROL).perform()
        self.assertEqual(self.decoded_png(self.downloaded('plashbox.png')), shown)

    def test_record_downloads_a_video_of_the_running_tank(self):
        self.open()
        button = self.driver.find_element(By.ID, 'record')
        button.click()
        self.assertEqual(button.get_attribute('aria-pressed'), 'true')
        self.assertEqual(button.text, 'Stop recording')
        time.sleep(1.5)
        button.click()
        video = self.downloaded('plashbox.webm')
        self.assertEqual(video[:4], b'\x1a\x45\xdf\xa3', 'a WebM file starts with the EBML mark')
        self.assertGreater(len(video), 1000)
        self.assertEqual(button.get_attribute('aria-pressed'), 'false')
        self.assertEqual(button.text, 'Record')
        self.assertEqual(self.message(), '')

    def test_a_broken_scene_file_shows_a_message_and_keeps_the_running_scene(self):
        self.open('?hold')
        before = self.js('return plashboxTest.sceneXml()')
        self.driver.find_element(By.ID, 'open').send_keys(self.write_scene('<TSlideshow><TWater'))
        WebDriverWait(self.driver, 10).until(lambda d: d.find_element(By.ID, 'message').text != '')
        self.assertEqual(self.js('return plashboxTest.sceneXml()'), before)
        self.js('plashboxTest.hold(false)')
        first = self.canvas_bytes()
        time.sleep(0.3)
        self.assertNotEqual(first, self.canvas_bytes(), 'the scene stopped running')

    def test_a_shared_link_opens_the_same_scene(self):
        self.open('?hold')
        self.choose('beam-type', 'Double')
        saved = self.js('return plashboxTest.sceneXml()')
        self.driver.find_element(By.ID, 'link').click()
        WebDriverWait(self.driver, 10).until(lambda d: d.execute_script("return location.hash.startsWith('#scene=')"))
        link = self.driver.find_element(By.ID, 'link-text').get_attribute('value')
        self.open(link[len(self.base):])
        path = self.write_scene(saved)
        self.assertEqual(self.js('return plashboxTest.sceneXml()'), driver_reopened(path))
        self.assertEqual(self.message(), '')
        page = base64.b64decode(self.js('return plashboxTest.runTicks(40)'))
        self.assertEqual(page, driver_frame(['--scene', path, '--steps', '40']))

    def test_a_link_that_does_not_decode_shows_a_message_and_the_demonstration(self):
        self.open('?hold', '#scene=bm90IGRlZmxhdGVk')
        self.assertIn('no readable scene', self.message())
        self.assertEqual(self.js("return plashboxTest.get('TGeneralExciter', 'BeamType')"), '1')

    # --- exactness: the page's frame after N ticks is the driver's ---
    def assert_same_frame(self, steps, settings=(), events=()):
        page = base64.b64decode(self.js('return plashboxTest.frameAfter(arguments[0])',
                                        {'steps': steps, 'settings': list(settings), 'events': list(events)}))
        cli = driver_frame(cli_args(steps, settings, events))
        self.assertEqual(len(page), len(cli))
        if page != cli:
            first = next(i for i in range(len(cli)) if page[i] != cli[i]) // 3
            self.fail(f'{sum(1 for a, b in zip(page, cli) if a != b)} bytes differ, first at pixel '
                      f'({first % 401}, {first // 401})')

    def test_frames_after_n_ticks_equal_the_drivers(self):
        self.open('?hold')
        cases = {
            'beam': dict(steps=300),
            'point': dict(steps=250, settings=['TGeneralExciter.BeamType=0']),
            'double': dict(steps=250, settings=['TGeneralExciter.BeamType=3', 'TGeneralExciter.Detune=1.3']),
            'doppler': dict(steps=300, settings=['TGeneralExciter.BeamType=4', 'TGeneralExciter.DopplerSpeed=1.4']),
            'turned block': dict(steps=200, events=[dict(tick=10, kind='down', x=280, y=200),
                                                    dict(tick=11, kind='move', x=330, y=120),
                                                    dict(tick=12, kind='up', x=330, y=120)]),
            'intensity view': dict(steps=300, settings=['TWater.IntensityView=True']),
            'blue white red': dict(steps=200, settings=['TWater.ColourScheme=csBlueWhiteRed', 'TWater.Exposure=1.2']),
            'drips': dict(steps=120, events=[dict(tick=5, kind='down', x=100, y=100, drip=True),
                                             dict(tick=6, kind='up', x=100, y=100),
                                             dict(tick=30, kind='down', x=300, y=250, button=2, drip=True),
                                             dict(tick=31, kind='up', x=300, y=250, button=2)]),
        }
        for name, case in cases.items():
            with self.subTest(name):
                self.assert_same_frame(**case)

    def test_the_step_and_picture_time_in_the_page(self):
        # A figure for the report, not a limit: the speed is proved by the benchmarks.
        self.open('?hold')
        ms = self.js('return plashboxTest.measure(500)')
        print(f'\n  page: {ms:.3f} ms per tick and picture at 401 x 401', file=sys.stderr)
        self.assertGreater(ms, 0)
        for _ in range(4):
            self.driver.find_element(By.ID, 'probe').click()
        self.driver.find_element(By.ID, 'screen').click()
        ms = self.js('return plashboxTest.measure(500)')
        panels = self.js('return plashboxTest.measureTools(200)')
        print(f'  page with four probes and a screen: {ms:.3f} ms per tick and picture, '
              f'{panels:.3f} ms per drawing of their panels', file=sys.stderr)


def main():
    global SITE, CLI
    parser = argparse.ArgumentParser()
    parser.add_argument('--site', required=True)
    parser.add_argument('--cli', required=True)
    args, rest = parser.parse_known_args()
    SITE, CLI = os.path.abspath(args.site), os.path.abspath(args.cli)
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    failed = len(result.failures) + len(result.errors)
    print(f'browser: {result.testsRun - failed - len(result.skipped)} passed, {failed} failed')
    sys.exit(1 if failed or not result.wasSuccessful() else 0)


if __name__ == '__main__':
    main()
