' Without a host user interface MsgBox prints its prompt and answers with
' the default button; InputBox answers with its default text.
Sub Main
  r = MsgBox("Saved.") ' expect: Saved.
  Print r = vbOK ' expect: True
  r = MsgBox("Delete?", vbYesNo + vbQuestion + vbDefaultButton2, "Confirm") ' expect: Delete?
  Print r = vbNo ' expect: True
  MsgBox "plain statement" ' expect: plain statement
  Print InputBox("Name?", "Ask", "nobody") ' expect: nobody
  Debug.Print "to the debug output" ' expect: to the debug output
  Print "no newline ";
  Print "then one" ' expect: no newline then one
  Columns
End Sub

Sub Columns()
  Print "ab"; Tab(6); "c" ' expect: ab   c
  Print "abcdef"; Tab(3); "x" ' expect: abcdef
  ' expect:   x
  Print "a"; Spc(2); "b"; Tab; "z" ' expect: a  b          z
End Sub
