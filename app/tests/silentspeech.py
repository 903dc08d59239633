"""A speech server for Orca that speaks into nothing. Each utterance Orca
hands it is written, as one JSON string a line, to the file named by
$SPOKEN_LOG, at once: what a listener would have heard, for the tests."""
import json
import os

from orca import speechserver


class SpeechServer(speechserver.SpeechServer):
    _active = None

    @staticmethod
    def getFactoryName():
        return "Silent"

    @staticmethod
    def getSpeechServers():
        return [SpeechServer.getSpeechServer()]

    @staticmethod
    def getSpeechServer(info=None):
        if SpeechServer._active is None:
            SpeechServer._active = SpeechServer()
        return SpeechServer._active

    # Orca 48 asks for the server and its name in these words.
    @staticmethod
    def get_speech_server(info=None):
        return SpeechServer.getSpeechServer(info)

    @staticmethod
    def shutdownActiveServers():
        SpeechServer._active = None

    def __init__(self):
        super().__init__()
        self._log = open(os.environ["SPOKEN_LOG"], "a", encoding="utf-8", buffering=1)

    def getInfo(self):
        return ["Silent", "silent"]

    def get_info(self):
        return self.getInfo()

    def getVoiceFamilies(self):
        return []

    def speak(self, text=None, acss=None, interrupt=True):
        if text:
            self._log.write(json.dumps(text, ensure_ascii=False) + "\n")
