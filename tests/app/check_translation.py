#!/usr/bin/env python3
"""Checks the English translation against the sources.

    check_translation.py LUPDATE TS_FILE SOURCE_DIR...

lupdate reads the sources into a copy of TS_FILE, so that a text added or changed in the
sources without its translation shows. Then every text must have a finished English
translation without Japanese characters that keeps what the program relies on: the
placeholders %1..%9, the filter fields between "|", the accelerator after a tab, and in
the command table the line break between the status text and the tool tip.
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

JAPANESE = re.compile('[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]')


def text_of(element):
    # lupdate writes a carriage return as <byte value="xd"/>.
    text = element.text or ''
    for child in element:
        if child.tag == 'byte':
            text += chr(int(child.get('value').lstrip('x'), 16))
        text += child.tail or ''
    return text


def problems(context, source, translation, kind):
    if kind:
        yield f'translation is {kind}'
    if not translation:
        yield 'no translation'
        return
    if JAPANESE.search(translation):
        yield 'Japanese left in the translation'
    if sorted(re.findall(r'%\d', source)) != sorted(re.findall(r'%\d', translation)):
        yield 'placeholders differ'
    if source.count('|') != translation.count('|'):
        yield 'filter fields differ'
    if source.partition('\t')[2] != translation.partition('\t')[2]:
        yield 'accelerator differs'
    if context == 'Commands' and source.count('\n') != translation.count('\n'):
        yield 'status and tool-tip halves differ'


def main():
    lupdate, ts_file, *sources = sys.argv[1:]
    with tempfile.TemporaryDirectory() as scratch:
        copy = f'{scratch}/check.ts'
        shutil.copy(ts_file, copy)
        subprocess.run([lupdate, '-silent', '-source-language', 'ja', '-locations', 'none',
                        *sources, '-ts', copy], check=True)
        root = ET.parse(copy).getroot()
    faults = 0
    count = 0
    for context in root.iter('context'):
        name = context.findtext('name')
        for message in context.iter('message'):
            count += 1
            source = text_of(message.find('source'))
            element = message.find('translation')
            for problem in problems(name, source, text_of(element), element.get('type')):
                print(f'{name}: {source!r}: {problem}')
                faults += 1
    if faults:
        print(f'{faults} faults; run the update_translations target and translate')
        return 1
    print(f'{count} texts translated')
    return 0


if __name__ == '__main__':
    sys.exit(main())
